#pragma once

#include "model/ItemRecord.h"

#include <QByteArray>
#include <QString>

// JSON Lines for scripts: one compact JSON object per hit, each on a line of its own
// ended by LF, UTF-8 without byte order mark. Keys: "name", "location", "path" (the
// full name as stored), "url" (smb:// or ftp://), "host", "size" (bytes, integer),
// "modified" (ISO 8601 with offset), "attributes" (the letters of the results view),
// "folder" (true for folder hits).

// The object of one hit with its LF.
QByteArray JsonLine(const TItemRecord& item);

// Writes every record in list order to path, or to the standard output when path is
// "-". A failure raises EKestrovaError starting with "JSON export error: "; what was
// written stays.
void ExportToJsonLines(const QString& path, const TItemList& list);
