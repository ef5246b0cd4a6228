#pragma once

#include "update/UpdateCheckTexts.h"

#include <QPointer>
#include <QString>

class QWidget;
class TWaitWindow;

// What the update check found, for the "Update Found" window.
struct TUpdateFound {
    QString programTitle;
    QString localVersion;
    QString remoteVersion;
    QString downloadPageUrl;
};

// The windows of the update check: the wait window during the download, the result
// window, and the proxy's credentials prompt. Replaceable so that tests run the check
// without windows that wait for a click.
class TUpdateCheckWindows {
public:
    virtual ~TUpdateCheckWindows() = default;
    // Shows the wait window with the text; while it shows, the program's other
    // windows take no input.
    virtual void showWait(QWidget* mainWindow, const QString& text) = 0;
    virtual void hideWait() = 0;
    // The modal "Update Found" window.
    virtual void showUpdateFound(QWidget* mainWindow, const TUpdateCheckTexts& texts,
                                 const TUpdateFound& found) = 0;
    // Asks for the proxy's user name and password; false when the user declines.
    virtual bool askProxyCredentials(QWidget* mainWindow, const TUpdateCheckTexts& texts,
                                     const QString& proxy, QString& user, QString& password) = 0;
};

// The real windows.
class TWidgetUpdateCheckWindows : public TUpdateCheckWindows {
public:
    ~TWidgetUpdateCheckWindows() override;
    void showWait(QWidget* mainWindow, const QString& text) override;
    void hideWait() override;
    void showUpdateFound(QWidget* mainWindow, const TUpdateCheckTexts& texts,
                         const TUpdateFound& found) override;
    bool askProxyCredentials(QWidget* mainWindow, const TUpdateCheckTexts& texts, const QString& proxy,
                             QString& user, QString& password) override;

private:
    QPointer<TWaitWindow> m_wait;
};
