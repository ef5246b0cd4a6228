#pragma once

#include "engine/PatternScan.h"
#include "engine/ports/ByteSource.h"
#include "model/ContentMatch.h"
#include "model/SearchModes.h"
#include "model/ThreadConfig.h"

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <optional>
#include <stop_token>

// The one content test of a search, for files on shares and on FTP servers alike:
// does the file hold the search text under the search's logic and encoding
// (TThreadConfig SearchText, Logic, Encoding)? A file that passes comes with the
// term found first and about kExcerptLength characters of text around it,
// decoded from the file's bytes in the search's encoding; under the "none" logic
// both are empty. nullopt: the file does not pass (also when it cannot be read,
// the read fails or the search is stopped).
//
// The source is read once, front to back, so a stream that cannot seek (an FTP
// download) serves as well as a file; reading ends as soon as the answer is
// known. Raises EKestrovaError "Wrong text search logic" like FileContainsText.
std::optional<TContentMatch> TestContent(ByteSource& source, const TThreadConfig& config,
                                         const std::stop_token& stop, size_t chunkSize = kScanChunkSize);

// The excerpt of a hit: the term with text from either side, kExcerptLength
// characters in all where the text has them (more when the term alone is longer),
// line breaks, tabs and other control characters shown as single blanks.
QString ContentExcerpt(const QString& before, const QString& term, const QString& after);

// Bytes of text in the search's encoding as characters. `side` says which side
// of the found term the bytes lie on: their end away from the term may start
// (before) or end (after) in the middle of a character, which is dropped.
enum class TExcerptSide { Before, After };
QString DecodeExcerptBytes(const QByteArray& bytes, TTextEncoding encoding, TExcerptSide side);
