#include "app/ManualWindow.h"

#include "platform/ProgramPath.h"
#include "widgets/MessageBoxes.h"

#include <QApplication>
#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

TManualWindow::TManualWindow(const QString& manualFile, QWidget* parent)
    : QWidget(parent, Qt::Window), m_browser(new QTextBrowser(this)), m_manualFile(manualFile)
{
    setObjectName(QStringLiteral("ManualWindow"));
    setWindowTitle(QStringLiteral("%1 Help").arg(ApplicationTitle()));
    setAttribute(Qt::WA_DeleteOnClose);
    m_browser->setObjectName(QStringLiteral("ManualBrowser"));
    m_browser->setOpenExternalLinks(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_browser);
    m_browser->setSource(QUrl::fromLocalFile(manualFile));
    resize(760, 640);
}

TManualWindow* ShowManualWindow(QWidget* owner, const QString& manualFile)
{
    const QString file = manualFile.isEmpty() ? ManualFilePath() : manualFile;
    if (file.isEmpty() || !QFileInfo(file).isReadable()) {
        ShowMessageBox(owner, QMessageBox::Critical, DefaultBoxCaption(),
                       QStringLiteral("The manual of this program (manual/index.html) was not found beside "
                                      "the program or in its documentation folder."));
        return nullptr;
    }
    // One manual window for the whole program, whichever window asked for it.
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* open = qobject_cast<TManualWindow*>(widget);
        if (open && open->manualFile() == file) {
            open->show();
            open->raise();
            open->activateWindow();
            return open;
        }
    }
    // Owned by the main window, so that it closes with it; a window of its own otherwise.
    auto* window = new TManualWindow(file, owner ? owner->window() : nullptr);
    window->show();
    window->raise();
    return window;
}
