#pragma once

#include <QByteArray>
#include <cstddef>
#include <memory>
#include <type_traits>
#include <vector>

struct hs_database;
struct hs_scratch;

// Several byte patterns searched in one pass over a buffer (Hyperscan's literal
// mode: its SIMD prefilters look for all patterns at once, where one search per
// pattern would read the buffer once per pattern). Patterns may hold any byte,
// zero bytes of UTF-16 text included.
//
// A set holds Hyperscan's scratch space, so it serves one thread at a time.
// Compiling costs far more than a scan of a small file: cachedFor() keeps the
// set of the last patterns asked for on each thread, so a search compiles its
// terms once per worker, not once per file.
class ByteFinderSet {
public:
    // Empty patterns are left out (they are never found). A set whose patterns
    // cannot be compiled, or a processor Hyperscan does not run on, gives an
    // invalid set: the caller searches pattern by pattern instead.
    explicit ByteFinderSet(const std::vector<QByteArray>& patterns);
    ByteFinderSet(const ByteFinderSet&) = delete;
    ByteFinderSet& operator=(const ByteFinderSet&) = delete;

    bool valid() const { return m_database && m_scratch; }
    const std::vector<QByteArray>& patterns() const { return m_patterns; }

    // Calls onMatch(pattern index, start offset) for matches in [data, data + length),
    // in the order of their end offsets, each pattern at most once per call. The scan
    // ends early once onMatch returns false. False when the scan failed.
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

    std::vector<QByteArray> m_patterns;
    std::vector<size_t> m_indexOfId; // Hyperscan id -> index in the patterns given
    struct FreeDatabase {
        void operator()(hs_database* database) const;
    };
    struct FreeScratch {
        void operator()(hs_scratch* scratch) const;
    };
    std::unique_ptr<hs_database, FreeDatabase> m_database;
    std::unique_ptr<hs_scratch, FreeScratch> m_scratch;
};
