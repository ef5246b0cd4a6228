#pragma once

#include "engine/SearchLog.h"

#include <QByteArray>
#include <QList>
#include <QString>

// The search log as a text file: the text of every entry, one per line, in order,
// each line ended with CR LF, in the ANSI code page (Windows-1252); the kinds are not
// written. A line break inside an entry's text becomes a blank, so that the file
// holds exactly one line per entry, as the list shows them.
QByteArray LogExportBytes(const QList<TSearchLogEntry>& entries);

// Writes the file through a TAtomicFile (an earlier file of that name keeps its
// permissions, and a failed save never destroys it). Raises EKestrovaError.
void SaveLogExport(const QString& path, const QList<TSearchLogEntry>& entries);
