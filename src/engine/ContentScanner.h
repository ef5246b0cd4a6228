#pragma once

#include "engine/PatternScan.h"
#include "engine/ports/ByteSource.h"

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>

// The content test: does a file's raw content hold the search text? Byte-exact,
// case-sensitive, format-blind. The text may hold several terms (split like comma
// text: commas, blanks, double quotes) combined by logic 0 (all), 1 (any) or
// 2 (none). Files are read once, in large chunks that overlap by (longest term - 1)
// bytes, so any file size works and a term across a chunk boundary is found.
//
// Cancellation: StopFlag is tested at least once per chunk; once it is set the scan
// returns false at once, whatever the logic.

// The term as bytes: 0 Windows-1252, 1 UTF-16LE, 2 UTF-8; any other value: none.
QByteArray TermToBytes(const QString& term, int32_t encoding);

// Whether pattern occurs in buffer (exact bytes, overlapping candidates tried).
// False once StopFlag is set.
bool FindBytes(const char* buffer, size_t length, const char* pattern, size_t patternLength);

// The whole test. Unreadable, empty or unsizable sources give false, and so does a
// read error or a stop request during the scan. A multi-term text with a logic
// outside 0-2 raises EKestrovaError "Wrong text search logic" (for a source that
// can be read); a single term with such a logic is tested like logic 0.
bool FileContainsText(ByteSource& source, const QString& text, int32_t logic, int32_t encoding,
                      size_t chunkSize = kScanChunkSize);
