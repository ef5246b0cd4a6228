#include "dialogs/ToolWindow.h"

#include "widgets/WindowPlacement.h"

#include <QHideEvent>

TToolWindow::TToolWindow(const QString& caption, QSize clientSize, QWidget* parent)
    : QDialog(parent,
              Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint | Qt::WindowTitleHint)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setWindowTitle(caption);
    setFixedSize(clientSize);
}

void TToolWindow::placeCentred(QWidget* mainWindow)
{
    CentreWindow(this, mainWindow);
}

void TToolWindow::hideEvent(QHideEvent* event)
{
    QDialog::hideEvent(event);
    // A spontaneous hide (the desktop minimising the owner) leaves the window alive;
    // only hide() and close() end it.
    if (m_toggleAction && !event->spontaneous())
        m_toggleAction->setChecked(false);
}
