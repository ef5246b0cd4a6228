#include "engine/EngineErrorReporter.h"

#include "model/LogCategories.h"

#include <cstdio>

namespace {

void WriteLine(const QString& message)
{
    const QByteArray line = message.toLocal8Bit() + '\n';
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr);
    std::fflush(stderr);
}

} // namespace

void ReportEngineError(EngineErrorReporter* reporter, const QString& message)
{
    qCDebug(kestrovaEngine) << "Engine thread error:" << message;
    if (reporter)
        reporter->ReportError(message);
    else
        WriteLine(message);
}

void StdErrErrorReporter::ReportError(const QString& message)
{
    std::lock_guard lock(m_mutex);
    m_messages.push_back(message);
    if (m_writeToStdErr)
        WriteLine(message);
}

std::vector<QString> StdErrErrorReporter::Messages()
{
    std::lock_guard lock(m_mutex);
    return m_messages;
}
