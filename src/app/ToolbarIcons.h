#pragma once

#include <QIcon>
#include <QString>

// Tool-bar and menu pictures from the desktop icon theme (TIconCache::prepareIconTheme
// makes Adwaita the fallback), with Qt's own standard pictures where a theme lacks one.
QIcon CommandIcon(const QString& themeName);
QIcon StartSearchIcon();
QIcon StopSearchIcon();
