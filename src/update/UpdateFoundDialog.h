#pragma once

#include "update/UpdateCheckTexts.h"
#include "update/UpdateCheckWindows.h"

#include <QDialog>
#include <QUrl>
#include <functional>

class QGroupBox;
class QLabel;
class QPushButton;

// "Update Found": the program's icon, a bold message naming the program, the local
// and the published version, and "&Download Now", which opens the download page
// and closes the window. Modal; 300 x 190 pixels.
class TUpdateFoundDialog : public QDialog {
    Q_OBJECT
public:
    // Opens an address on the desktop; replaceable for tests. Returns false when no
    // application took it.
    using UrlOpener = std::function<bool(const QUrl&)>;

    TUpdateFoundDialog(const TUpdateCheckTexts& texts, const TUpdateFound& found,
                       QWidget* mainWindow = nullptr);

    void setUrlOpener(UrlOpener opener) { m_openUrl = std::move(opener); }

    QLabel* messageLabel() const { return m_message; }
    QPushButton* downloadButton() const { return m_download; }
    QGroupBox* groupBox() const { return m_group; }

    // The message: "New version of %1 is available!", an empty line, "Your version: x"
    // and "New version: y" on the next two lines.
    static QString MessageText(const TUpdateCheckTexts& texts, const TUpdateFound& found);

private:
    void download();

    QUrl m_downloadPage;
    UrlOpener m_openUrl;
    QGroupBox* m_group = nullptr;
    QLabel* m_message = nullptr;
    QPushButton* m_download = nullptr;
};
