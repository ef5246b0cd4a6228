#include "app/MainWindow.h"

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("Kestrova") + QStringLiteral(" [PORTABLE BUILD]"));
    resize(578, 433);
}
