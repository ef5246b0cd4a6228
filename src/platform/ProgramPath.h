#pragma once

#include <QString>

// The full path of the running program (/proc/self/exe), without needing a
// QCoreApplication; empty if the kernel does not tell.
QString ProgramFilePath();

// The folder that holds the running program.
QString ProgramFolder();

// The path with the extension of its last component replaced by the given one
// (which includes its dot), or the extension appended when there is none:
// "/opt/kestrova/kestrova" -> "/opt/kestrova/kestrova.ini".
QString ReplaceFileExtension(const QString& path, const QString& extension);
