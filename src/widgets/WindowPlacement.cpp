#include "widgets/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

void CentreWindow(QWidget* window, QWidget* mainWindow)
{
    QRect area;
    if (mainWindow && mainWindow->isVisible()) {
        area = mainWindow->frameGeometry();
    } else {
        const QScreen* screen = mainWindow ? mainWindow->screen() : QGuiApplication::primaryScreen();
        if (!screen)
            return;
        area = screen->availableGeometry();
    }
    window->move(area.center() - QPoint(window->width() / 2, window->height() / 2));
}
