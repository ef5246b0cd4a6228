#include "update/OnlineVersionCheck.h"

#include "model/DateTime.h"
#include "model/Error.h"
#include "update/VersionText.h"
#include "widgets/MessageBoxes.h"

#include <QAction>
#include <QUrl>
#include <QWidget>
#include <cmath>

namespace {

constexpr double kAutoCheckIntervalDays = 7;

// Leaves the wait window on every path out of the download.
class WaitWindowShown {
public:
    WaitWindowShown(TUpdateCheckWindows& windows, bool show, QWidget* mainWindow, const QString& text)
        : m_windows(windows), m_shown(show)
    {
        if (m_shown)
            m_windows.showWait(mainWindow, text);
    }
    ~WaitWindowShown() { close(); }
    void close()
    {
        if (m_shown)
            m_windows.hideWait();
        m_shown = false;
    }

private:
    TUpdateCheckWindows& m_windows;
    bool m_shown;
};

} // namespace

TOnlineVersionCheck::TOnlineVersionCheck(TAutoUpdateSettings& settings)
    : m_settings(settings), m_now(NowDateTime), m_localVersion(LocalVersionText())
{
    m_download.setCredentialsPrompt([this](const QString& proxy, QString& user, QString& password) {
        return windows().askProxyCredentials(m_mainWindow, Texts, proxy, user, password);
    });
}

TOnlineVersionCheck::~TOnlineVersionCheck() = default;

bool TOnlineVersionCheck::hasSource() const
{
    return !m_settings.VersionFileAddress.isEmpty();
}

QString TOnlineVersionCheck::DownloadPageAddress(const QString& versionFileAddress)
{
    return QUrl(versionFileAddress).resolved(QUrl(QStringLiteral("./"))).toString();
}

void TOnlineVersionCheck::setWindows(TUpdateCheckWindows* windows)
{
    m_windows = windows;
}

TUpdateCheckWindows& TOnlineVersionCheck::windows()
{
    if (m_windows)
        return *m_windows;
    if (!m_widgetWindows)
        m_widgetWindows = std::make_unique<TWidgetUpdateCheckWindows>();
    return *m_widgetWindows;
}

bool TOnlineVersionCheck::mainWindowVisible() const
{
    return m_mainWindow && m_mainWindow->isVisible();
}

void TOnlineVersionCheck::AskForAutoCheck(QAction* autoCheckItem)
{
    // Without a source the question would promise checks that cannot happen; it
    // stays due for when an address is configured.
    if (!m_settings.QueryForAutoCheck || !hasSource())
        return;
    const bool yes = ShowMessageBox(m_mainWindow, QMessageBox::Question, ApplicationTitle(),
                                    Texts.AutoCheckQuestion.arg(ApplicationTitle()),
                                    QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) == QMessageBox::Yes;
    m_settings.AutoCheckEnabled = yes;
    if (autoCheckItem)
        autoCheckItem->setChecked(yes);
    m_settings.QueryForAutoCheck = false;
}

void TOnlineVersionCheck::AutoCheck()
{
    if (!m_settings.AutoCheckEnabled || !hasSource())
        return;
    const double now = m_now();
    if (std::floor(std::fabs(now - m_settings.LastAutoCheckDate)) <= kAutoCheckIntervalDays)
        return;
    if (CheckNow(true))
        m_settings.LastAutoCheckDate = static_cast<int32_t>(std::floor(now));
}

QString TOnlineVersionCheck::ReadRemoteVersion()
{
    const QByteArray body = m_download.fetch(m_settings.VersionFileAddress, Texts.NoProxyCredentials);
    return ParseVersionFile(body, Texts.NoData, Texts.UnrecognizedAnswer);
}

bool TOnlineVersionCheck::CheckNow(bool silent)
{
    // The download runs a local event loop; a second check must not start inside it.
    if (m_checking)
        return false;
    if (!hasSource()) {
        if (!silent)
            ShowMessageBox(m_mainWindow, QMessageBox::Information, ApplicationTitle(), Texts.NoUpdateSource);
        return false;
    }
    m_checking = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{m_checking};

    const QString title = ApplicationTitle();
    QString remote;
    try {
        // Exact text: the wait window's text, compared by the update check tests.
        WaitWindowShown wait(windows(), mainWindowVisible(), m_mainWindow,
                             Texts.Checking + QStringLiteral(" ..."));
        try {
            remote = ReadRemoteVersion();
        } catch (const EKestrovaError& error) {
            wait.close();
            if (!silent)
                ShowMessageBox(m_mainWindow, QMessageBox::Critical, DefaultBoxCaption(),
                               Texts.RemoteError + QStringLiteral(": ") + error.message());
            return false;
        }
    } catch (const std::exception& error) {
        ShowMessageBox(m_mainWindow, QMessageBox::Critical, DefaultBoxCaption(),
                       Texts.UnexpectedError + QStringLiteral(": ") + ExceptionMessage(error));
        return false;
    }

    try {
        if (remote != m_localVersion)
            windows().showUpdateFound(
                m_mainWindow, Texts,
                {title, m_localVersion, remote, DownloadPageAddress(m_settings.VersionFileAddress)});
        else if (!silent)
            ShowMessageBox(m_mainWindow, QMessageBox::Information, title, Texts.NoNewVersion);
    } catch (const std::exception& error) {
        ShowMessageBox(m_mainWindow, QMessageBox::Critical, DefaultBoxCaption(),
                       Texts.UnexpectedError + QStringLiteral(": ") + ExceptionMessage(error));
    }
    return true;
}
