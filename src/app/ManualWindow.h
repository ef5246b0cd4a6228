#pragma once

#include <QString>
#include <QWidget>

class QTextBrowser;

// The manual shipped with the program (HTML the build makes from the README and the
// command line's help), in a window of its own, so that Help works without a network.
// Links to other places in the manual stay in the window; web addresses go to the
// desktop's browser.
class TManualWindow : public QWidget {
    Q_OBJECT
public:
    explicit TManualWindow(const QString& manualFile, QWidget* parent = nullptr);

    QTextBrowser* browser() const { return m_browser; }
    QString manualFile() const { return m_manualFile; }

private:
    QTextBrowser* m_browser;
    QString m_manualFile;
};

// Shows the manual window for manualFile (ManualFilePath() when empty) and brings it
// to the front; a window already open for the program is reused. Without a manual
// file an error box says what is missing and null is returned.
TManualWindow* ShowManualWindow(QWidget* owner, const QString& manualFile = {});
