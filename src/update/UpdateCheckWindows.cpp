#include "update/UpdateCheckWindows.h"

#include "update/ProxyCredentialsDialog.h"
#include "update/UpdateFoundDialog.h"
#include "update/WaitWindow.h"
#include "widgets/WindowPlacement.h"

TWidgetUpdateCheckWindows::~TWidgetUpdateCheckWindows()
{
    delete m_wait;
}

void TWidgetUpdateCheckWindows::showWait(QWidget* mainWindow, const QString& text)
{
    if (!m_wait)
        m_wait = new TWaitWindow(mainWindow);
    CentreWindow(m_wait, mainWindow);
    m_wait->show();
    m_wait->setText(text);
}

void TWidgetUpdateCheckWindows::hideWait()
{
    if (m_wait)
        m_wait->hide();
}

void TWidgetUpdateCheckWindows::showUpdateFound(QWidget* mainWindow, const TUpdateCheckTexts& texts,
                                                const TUpdateFound& found)
{
    TUpdateFoundDialog dialog(texts, found, mainWindow);
    dialog.exec();
}

bool TWidgetUpdateCheckWindows::askProxyCredentials(QWidget* mainWindow, const TUpdateCheckTexts& texts,
                                                    const QString& proxy, QString& user, QString& password)
{
    TProxyCredentialsDialog dialog(texts, proxy, mainWindow);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    user = dialog.user();
    password = dialog.password();
    return true;
}
