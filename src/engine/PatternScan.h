#pragma once

#include "engine/ByteFinder.h"
#include "engine/ports/ByteSource.h"

#include <cstddef>
#include <cstdint>
#include <stop_token>
#include <vector>

// Streams a ByteSource once through one buffer and searches each chunk for every
// pattern not found yet. Consecutive chunks overlap by (longest pattern - 1) bytes,
// so a pattern across a chunk boundary is found and the answers equal a search of
// the whole file, for any file size.
//
// Cancellation: the stop token is tested before every chunk; once it is set the scan ends
// with ScanStatus::Stopped and reads nothing more.

// Reads of 1 MiB keep system calls rare and a chunk in the processor's cache
// while every pending pattern is searched in it.
inline constexpr size_t kScanChunkSize = size_t{1} << 20;

enum class ScanStatus { Completed, Stopped, ReadFailed };

struct PatternScanResult {
    ScanStatus status = ScanStatus::Completed;
    std::vector<bool> found; // one flag per finder
};

// Searches the first size bytes of source (reading stops early if the source ends
// sooner). Patterns that are empty or longer than size are not found and cost no
// reading. With stopAtFirstHit the scan ends as soon as any pattern is found.
PatternScanResult ScanForPatterns(ByteSource& source, int64_t size, const std::vector<ByteFinder>& finders,
                                  bool stopAtFirstHit, size_t chunkSize = kScanChunkSize,
                                  const std::stop_token& stop = {});
