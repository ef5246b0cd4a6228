#include "model/Error.h"

#include <cstring>

EKestrovaError::EKestrovaError(const QString& message, int code)
    : std::runtime_error(message.toStdString()), m_message(message), m_code(code)
{
}

void RaiseError(const QString& message)
{
    throw EKestrovaError(message);
}

QString ExceptionMessage(const std::exception& error)
{
    if (const auto* own = dynamic_cast<const EKestrovaError*>(&error))
        return own->message();
    return QString::fromUtf8(error.what());
}

QString ErrnoText(int error)
{
    char buffer[256] = {};
    // GNU strerror_r returns the message, which may or may not be in buffer.
    const char* text = strerror_r(error, buffer, sizeof buffer);
    return QString::fromLocal8Bit(text);
}
