#include "support/TraceCapture.h"

#include <QLoggingCategory>
#include <atomic>

namespace {

std::atomic<TraceCapture*> g_active{nullptr};

} // namespace

TraceCapture::TraceCapture(const char* category) : m_category(QString::fromLatin1(category))
{
    g_active = this;
    m_previous = qInstallMessageHandler(&TraceCapture::handle);
    QLoggingCategory::setFilterRules(m_category + QStringLiteral(".debug=true"));
}

TraceCapture::~TraceCapture()
{
    QLoggingCategory::setFilterRules(QString());
    qInstallMessageHandler(m_previous);
    g_active = nullptr;
}

void TraceCapture::handle(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    TraceCapture* capture = g_active;
    if (!capture)
        return;
    if (type == QtDebugMsg &&
        capture->m_category == QLatin1String(context.category ? context.category : "")) {
        std::lock_guard lock(capture->m_mutex);
        capture->m_messages << message;
        return;
    }
    if (capture->m_previous)
        capture->m_previous(type, context, message);
}

QStringList TraceCapture::messages() const
{
    std::lock_guard lock(m_mutex);
    return m_messages;
}

QString TraceCapture::find(const QString& text) const
{
    for (const QString& message : messages())
        if (message.contains(text))
            return message;
    return {};
}
