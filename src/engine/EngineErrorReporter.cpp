#include "engine/EngineErrorReporter.h"

#include <cstdio>

void StdErrErrorReporter::ReportError(const QString& message)
{
    std::lock_guard lock(m_mutex);
    m_messages.push_back(message);
    if (m_writeToStdErr) {
        const QByteArray line = message.toLocal8Bit() + '\n';
        std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr);
        std::fflush(stderr);
    }
}

std::vector<QString> StdErrErrorReporter::Messages()
{
    std::lock_guard lock(m_mutex);
    return m_messages;
}
