#pragma once

#include <QIcon>

// The small icon the option dialogs' lists show in front of every entry.
QIcon ProgramIcon();
