#pragma once

#include <QIcon>

// The icon the program's own windows and the option dialogs' lists show: the
// application's icon, or a neutral one when it has none.
QIcon ProgramIcon();
