#include "store/GLibLogCapture.h"

#include <glib.h>
#include <mutex>

namespace {

thread_local TGLibLogCapture* t_capture = nullptr;

GLogFunc g_previousHandler = nullptr;
gpointer g_previousData = nullptr;

// Many damaged files repeat the same complaint for every block; a few lines say
// enough.
constexpr qsizetype kMaxMessages = 8;

void CaptureHandler(const gchar* domain, GLogLevelFlags level, const gchar* message, gpointer)
{
    if (t_capture && (level & (G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_WARNING))) {
        const QString text = QString::fromUtf8(message ? message : "");
        t_capture->add(domain && *domain ? QString::fromUtf8(domain) + QStringLiteral(": ") + text : text);
        return;
    }
    g_previousHandler(domain, level, message, g_previousData);
}

// libgsf logs through the domains "libgsf:msole" and "libgsf" and lets GLib's own
// checks log without a domain; none of them has a handler of its own, so they all
// reach the default handler, which is wrapped once for the process.
void InstallHandler()
{
    static std::once_flag once;
    std::call_once(once, [] { g_previousHandler = g_log_set_default_handler(CaptureHandler, nullptr); });
}

} // namespace

TGLibLogCapture::TGLibLogCapture() : m_outer(t_capture)
{
    InstallHandler();
    t_capture = this;
}

TGLibLogCapture::~TGLibLogCapture()
{
    t_capture = m_outer;
}

void TGLibLogCapture::add(const QString& message)
{
    const QString text = message.simplified(); // libgsf's messages span lines
    if (m_messages.size() < kMaxMessages && !m_messages.contains(text))
        m_messages.append(text);
}

QString TGLibLogCapture::details() const
{
    if (m_messages.isEmpty())
        return QString();
    return QStringLiteral(" (") + m_messages.join(QStringLiteral("; ")) + u')';
}
