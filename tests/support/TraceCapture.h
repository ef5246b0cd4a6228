#pragma once

#include <QString>
#include <QStringList>
#include <mutex>

// Turns on the debug messages of one logging category and collects them, from
// any thread, while it lives; the previous rules and message handler come back
// when it ends. One capture at a time.
class TraceCapture {
public:
    explicit TraceCapture(const char* category);
    ~TraceCapture();
    TraceCapture(const TraceCapture&) = delete;
    TraceCapture& operator=(const TraceCapture&) = delete;

    QStringList messages() const;
    // The first collected message that contains text, or an empty string.
    QString find(const QString& text) const;

private:
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& message);

    const QString m_category;
    mutable std::mutex m_mutex;
    QStringList m_messages;
    QtMessageHandler m_previous = nullptr;
};
