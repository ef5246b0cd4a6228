#pragma once

#include "engine/ByteFinder.h"
#include "engine/ports/ByteSource.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <stop_token>
#include <vector>

// Streams a ByteSource once through one buffer, front to back (so a source that
// can only be read in order, such as a download, serves as well), and searches
// each chunk for every pattern not found yet. Several patterns are searched in one
// pass over the chunk (ByteFinderSet); a single one with its ByteFinder.
// Consecutive chunks overlap by (longest pattern - 1) bytes, so a pattern across a
// chunk boundary is found and the answers equal a search of the whole file, for
// any file size. A source that offers its bytes mapped in memory is searched in
// place, chunk by chunk, with no copy; the answers are the same.
//
// Cancellation: the stop token is tested before every chunk; once it is set the scan ends
// with ScanStatus::Stopped and reads nothing more.

// Reads of 1 MiB keep system calls rare and a chunk in the processor's cache
// while every pending pattern is searched in it.
inline constexpr size_t kScanChunkSize = size_t{1} << 20;

enum class ScanStatus { Completed, Stopped, ReadFailed };

// The first place a pattern was found, with the bytes around it.
struct PatternHit {
    size_t finder = 0;     // index of the pattern
    int64_t offset = 0;    // where in the source the match starts
    QByteArray context;    // up to contextBytes before the match, the match, up to contextBytes after it
    size_t matchStart = 0; // where the match starts in context
    size_t matchLength = 0;
};

struct PatternScanResult {
    ScanStatus status = ScanStatus::Completed;
    std::vector<bool> found; // one flag per finder
    // The hit found first: in the earliest chunk holding one, and there the one
    // that ends first. Empty when nothing was found.
    std::optional<PatternHit> first;
};

// Searches the first size bytes of source (reading stops early if the source ends
// sooner). Patterns that are empty or longer than size are not found and cost no
// reading. With stopAtFirstHit the scan ends as soon as any pattern is found.
// With contextBytes, the first hit comes with that many bytes on either side
// where the source has them; the bytes after it may cost one more small read.
PatternScanResult ScanForPatterns(ByteSource& source, int64_t size, const std::vector<ByteFinder>& finders,
                                  bool stopAtFirstHit, size_t chunkSize = kScanChunkSize,
                                  const std::stop_token& stop = {}, size_t contextBytes = 0);
