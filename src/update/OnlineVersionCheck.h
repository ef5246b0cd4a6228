#pragma once

#include "store/SettingsFile.h"
#include "update/UpdateCheckTexts.h"
#include "update/UpdateCheckWindows.h"
#include "update/VersionFileDownload.h"

#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

class QAction;
class QWidget;

// The check of the published version. The main window owns one for its whole life
// and calls:
//   - AskForAutoCheck(autoCheckAction) once after it has appeared, then AutoCheck();
//   - CheckNow(false) for "Check For Updates &Now".
// The version file's address comes from the "AutoUpdate" settings (VersionFileAddress),
// read when a check starts; without one there is no update source: no question, no
// automatic check, and a manual check says so. The "AutoUpdate" settings are read and
// written with the settings file (store/SettingsFile.h); this object works on them in
// place. Main thread only.
class TOnlineVersionCheck {
public:
    explicit TOnlineVersionCheck(TAutoUpdateSettings& settings);
    ~TOnlineVersionCheck();

    TUpdateCheckTexts Texts;

    // The window that owns the boxes and on which the windows are centred.
    void setMainWindow(QWidget* mainWindow) { m_mainWindow = mainWindow; }
    // Replaces the wait, result and credentials windows (tests); null restores them.
    void setWindows(TUpdateCheckWindows* windows);
    TVersionFileDownload& download() { return m_download; }
    // The moment "now" (a date-time, days since 1899-12-30); replaceable for tests.
    void setClock(std::function<double()> now) { m_now = std::move(now); }
    // The version this program compares; the build's version unless replaced.
    void setLocalVersion(const QString& version) { m_localVersion = version; }
    QString localVersion() const { return m_localVersion; }

    // First start: asks once whether to check automatically; the answer goes into
    // AutoCheckEnabled and the "&Autocheck For Updates" item (when given).
    void AskForAutoCheck(QAction* autoCheckItem = nullptr);
    // When automatic checks are on and more than 7 whole days lie between the last
    // successful automatic check and now (either way round), checks silently and,
    // when the published version was read, remembers today.
    void AutoCheck();
    // Reads the published version and compares: a different one opens "Update
    // Found", the same one says so unless silent. Failures of the download show a
    // message unless silent. True when the published version was read.
    bool CheckNow(bool silent);

    // The published version (raises EKestrovaError with the failure's message).
    QString ReadRemoteVersion();

    // An address is configured.
    bool hasSource() const;
    // The page "Download Now" opens: the version file's folder.
    static QString DownloadPageAddress(const QString& versionFileAddress);

private:
    TUpdateCheckWindows& windows();
    bool mainWindowVisible() const;

    TAutoUpdateSettings& m_settings;
    QPointer<QWidget> m_mainWindow;
    TUpdateCheckWindows* m_windows = nullptr;
    std::unique_ptr<TWidgetUpdateCheckWindows> m_widgetWindows;
    TVersionFileDownload m_download;
    std::function<double()> m_now;
    QString m_localVersion;
    bool m_checking = false;
};
