#pragma once

#include "widgets/ProgramIcon.h"

class QWidget;

// Centres a top-level window on the main window when that is visible, else on the
// main window's screen (or the primary screen without a main window).
void CentreWindow(QWidget* window, QWidget* mainWindow);
