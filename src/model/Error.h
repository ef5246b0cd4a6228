#pragma once

#include <QString>
#include <stdexcept>

// The one exception type of the program: a message for the user and, where the
// platform gave one, its error code (errno, CURLcode, ...). Command handlers catch
// it and show the message.
class EKestrovaError : public std::runtime_error {
public:
    explicit EKestrovaError(const QString& message, int code = 0);

    QString message() const { return m_message; }
    int code() const { return m_code; }

private:
    QString m_message;
    int m_code;
};

// Raises an EKestrovaError carrying the message.
[[noreturn]] void RaiseError(const QString& message);

// The message of any exception, for handlers that show "prefix: " + message.
QString ExceptionMessage(const std::exception& error);

// The system's text for an errno value; safe on any thread (strerror is not).
QString ErrnoText(int error);
