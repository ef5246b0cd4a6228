#pragma once

#include "engine/PatternScan.h"
#include "engine/ports/ByteSource.h"
#include "model/SearchModes.h"

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <stop_token>

// The content test: does a file's raw content hold the search text? Byte-exact,
// case-sensitive, format-blind. The text may hold several terms (split like comma
// text: commas, blanks, double quotes) combined by the logic: all, any or none
// of them. Files are read once, in large chunks that overlap by (longest term - 1)
// bytes, so any file size works and a term across a chunk boundary is found.
//
// Cancellation: the stop token is tested at least once per chunk; once it is set the scan
// returns false at once, whatever the logic.

// The term as bytes: Windows-1252, UTF-16LE or UTF-8; Unknown gives none.
QByteArray TermToBytes(const QString& term, TTextEncoding encoding);

// Whether pattern occurs in buffer (exact bytes, overlapping candidates tried).
// False once stop is requested.
bool FindBytes(const char* buffer, size_t length, const char* pattern, size_t patternLength,
               const std::stop_token& stop = {});

// What the byte search says about one file.
struct ContentScanVerdict {
    bool passes = false;
    // For a pass through a found term (not under the "none" logic): the term found
    // first, its index among the terms, and the bytes around its first place.
    std::optional<PatternHit> hit;
    QString term;
};

// The whole test with the place of the first hit, contextBytes on either side of it.
// Unreadable, empty or unsizable sources do not pass, and neither does a read error
// or a stop request during the scan. A multi-term text with an Unknown logic raises
// EKestrovaError "Wrong text search logic" (for a source that can be read); a single
// term with it is tested like All.
ContentScanVerdict ScanContent(ByteSource& source, const QString& text, TTextLogic logic,
                               TTextEncoding encoding, size_t chunkSize = kScanChunkSize,
                               const std::stop_token& stop = {}, size_t contextBytes = 0);

// The same test without the place of the hit. Unreadable, empty or unsizable sources give false, and so does
// a read error or a stop request during the scan. A multi-term text with an Unknown logic raises
// EKestrovaError "Wrong text search logic" (for a source that can be read); a single term with it is tested
// like All.
bool FileContainsText(ByteSource& source, const QString& text, TTextLogic logic, TTextEncoding encoding,
                      size_t chunkSize = kScanChunkSize, const std::stop_token& stop = {});
