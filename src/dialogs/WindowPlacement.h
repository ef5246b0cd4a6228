#pragma once

class QIcon;
class QWidget;

// Centres a top-level window on the main window when that is visible, else on the
// main window's screen (or the primary screen without a main window).
void CentreWindow(QWidget* window, QWidget* mainWindow);

// The icon the program's own windows show: the application's icon, or a neutral
// one when it has none.
QIcon ProgramIcon();
