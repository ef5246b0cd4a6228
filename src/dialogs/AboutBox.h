#pragma once

#include <QDialog>
#include <QUrl>
#include <functional>

class QLabel;
class QPushButton;

// The About box: the program's icon and name, "Version %u.%u Release %u" of this
// build, and links to the vendor's web site (home page and support page). Modal.
class TAboutBox : public QDialog {
    Q_OBJECT
public:
    // Opens an address on the desktop; replaceable for tests.
    using UrlOpener = std::function<bool(const QUrl&)>;

    // site: the vendor's web site, e.g. "http://www.kestrova.example" (no trailing "/").
    explicit TAboutBox(const QString& site, QWidget* parent = nullptr);

    void setUrlOpener(UrlOpener opener) { m_openUrl = std::move(opener); }

    QLabel* versionLabel() const { return m_version; }
    QLabel* linksLabel() const { return m_links; }
    QPushButton* okButton() const { return m_ok; }

private:
    UrlOpener m_openUrl;
    QLabel* m_version = nullptr;
    QLabel* m_links = nullptr;
    QPushButton* m_ok = nullptr;
};

// Entry point of the main window's "&About" command: the box, centred on the main
// window, run modally by `run` (QDialog::exec when empty; tests look at it instead).
void ShowAboutBox(const QString& site, QWidget* mainWindow, const std::function<void(QDialog&)>& run = {});
