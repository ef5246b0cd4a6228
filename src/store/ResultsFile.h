#pragma once

#include "model/ItemRecord.h"
#include "store/IconImage.h"

#include <QString>

// Results files (.dat): a compound file with the stream "mainlist_unicode" (the
// records, one after another: a 32-byte little-endian block of length, Attrs, Size,
// DateTime, ImageIndex and a zero, then the name in UTF-16LE) and the stream
// "images" (the icons the records' ImageIndex values point into). Loading also reads
// the older form, whose records are in the stream "mainlist".
//
// Both raise EKestrovaError; the caller shows "Unable to save file: " or "Unable to
// open file: " followed by its message. Both run on one thread at a time per file.

// Writes the list and its icons to a temporary file beside 'path' and renames it over
// 'path' only when all of it is on the disk: a failed save leaves a previous file
// untouched. An empty list gives an empty record stream.
void SaveResultsToFile(const QString& path, const TItemList& list, const TIconList& icons);

// Replaces the list and the icons with the file's. Both are cleared first; when
// loading fails, the list keeps the records read before the failure and the icons
// stay empty unless they had been read. A file that is no compound file raises
// "file is corrupted". A record length below 32, odd, or running past the end of the
// stream ends the load with an error.
void LoadResultsFromFile(const QString& path, TItemList& list, TIconList& icons);
