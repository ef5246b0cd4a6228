#pragma once

#include <QByteArray>
#include <cstddef>
#include <memory>
#include <type_traits>
#include <vector>

struct hs_database;
struct hs_scratch;

// Several byte patterns searched in one pass over a buffer, where one search per
// pattern would read the buffer once per pattern. Patterns may hold any byte, zero
// bytes of UTF-16 text included. A few patterns (up to kMaxFiltered) go through
// ByteFinder's filter widened to all of them: each block of 32 positions is
// compared with every pattern's two rare bytes at once, and only positions where
// a pattern's bytes agree are compared whole. More patterns, or data that makes
// the filter pass too many candidates, go through Hyperscan's literal mode.
// Measured on English text with three terms: the filter 6.5 GB/s, Hyperscan 3.5 GB/s.
//
// A set holds Hyperscan's scratch space, so it serves one thread at a time.
// Compiling costs far more than a scan of a small file: cachedFor() keeps the
// set of the last patterns asked for on each thread, so a search compiles its
// terms once per worker, not once per file.
class ByteFinderSet {
public:
    static constexpr size_t kMaxFiltered = 8;
    // The filter bytes of one pattern (defined where the filter uses them).
    struct Probe;

    // Empty patterns are left out (they are never found). A set of more than
    // kMaxFiltered patterns that Hyperscan cannot compile, or cannot run on this
    // processor, is invalid, and so is a set of no pattern: the caller searches
    // pattern by pattern instead.
    explicit ByteFinderSet(const std::vector<QByteArray>& patterns);
    ByteFinderSet(const ByteFinderSet&) = delete;
    ByteFinderSet& operator=(const ByteFinderSet&) = delete;

    bool valid() const { return !m_filtered.empty() || hyperscanReady(); }
    const std::vector<QByteArray>& patterns() const { return m_patterns; }

    // Calls onMatch(pattern index, start offset) for the first match of each pattern
    // in [data, data + length), in the order the scan meets them (by start through
    // the filter, by end through Hyperscan), each pattern at most once per call.
    // The scan ends early once onMatch returns false. False when the scan failed.
    template <typename OnMatch> bool findEach(const char* data, size_t length, OnMatch&& onMatch) const
    {
        using Callback = decltype(onMatch);
        // The context only carries the callback through Hyperscan's C interface.
        void* context = const_cast<void*>(static_cast<const void*>(std::addressof(onMatch)));
        return scan(data, length, &CallThrough<Callback>, context);
    }

    // The set for these patterns, made on this thread's first request for them and
    // kept until another set of patterns is asked for on the same thread.
    static const ByteFinderSet& cachedFor(const std::vector<QByteArray>& patterns);

private:
    using MatchFunction = bool (*)(void* context, size_t pattern, size_t start);
    template <typename Callback> static bool CallThrough(void* context, size_t pattern, size_t start)
    {
        return (*static_cast<std::remove_reference_t<Callback>*>(context))(pattern, start);
    }
    bool scan(const char* data, size_t length, MatchFunction function, void* context) const;
    bool scanFiltered(const char* data, size_t length, MatchFunction function, void* context) const;
    // Hyperscan over the bytes from `offset` on, leaving out patterns already reported.
    bool scanHyperscan(const char* data, size_t length, size_t offset, const std::vector<bool>& reported,
                       MatchFunction function, void* context) const;
    bool hyperscanReady() const { return m_database && m_scratch; }

    std::vector<QByteArray> m_patterns;
    std::vector<size_t> m_indexOfId;                    // Hyperscan id -> index in the patterns given
    std::vector<size_t> m_filtered;                     // the patterns the filter searches, when it does
    std::shared_ptr<const std::vector<Probe>> m_probes; // their filter bytes, same order
    size_t m_filterReach = 0;                           // largest filter position
    struct FreeDatabase {
        void operator()(hs_database* database) const;
    };
    struct FreeScratch {
        void operator()(hs_scratch* scratch) const;
    };
    std::unique_ptr<hs_database, FreeDatabase> m_database;
    std::unique_ptr<hs_scratch, FreeScratch> m_scratch;
};
