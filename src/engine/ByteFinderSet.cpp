#include "engine/ByteFinderSet.h"

#include "engine/ByteFinder.h"
#include "model/LogCategories.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <hs/hs.h>
#if defined(__x86_64__)
#include <emmintrin.h>
#endif
#include <utility>

// GCC vector extensions, as in ByteFinder: on x86-64 also built for AVX2, the
// loader picking the clone for the processor (not under ThreadSanitizer, whose
// runtime crashes resolving clones at start-up).
typedef unsigned char Block __attribute__((vector_size(32)));
typedef signed char BlockMask __attribute__((vector_size(32))); // what comparing Blocks gives

struct ByteFinderSet::Probe {
    unsigned char rare;
    unsigned char second;
    size_t rarePosition;
    size_t secondPosition;
};

namespace {

constexpr size_t kBlockSize = sizeof(Block);
// Candidates the filter may pass before the rest goes to Hyperscan: a fixed
// allowance plus one per eight positions scanned (as ByteFinder).
constexpr size_t kCandidateAllowance = 64;

#if defined(__x86_64__) && !defined(__SANITIZE_THREAD__)
#define KESTROVA_BYTE_FINDER_SET_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define KESTROVA_BYTE_FINDER_SET_CLONES
#endif

// One bit per lane that is set (all ones), lane 0 in bit 0. The mask comes by
// reference: a 32-byte vector passed by value changes the calling convention
// between the AVX2 clone and the default one (GCC's -Wpsabi in unoptimised builds).
inline uint32_t LaneBits(const BlockMask& mask)
{
#if defined(__x86_64__)
    __m128i low, high;
    memcpy(&low, &mask, sizeof low);
    memcpy(&high, reinterpret_cast<const char*>(&mask) + sizeof low, sizeof high);
    return static_cast<uint32_t>(_mm_movemask_epi8(low)) | static_cast<uint32_t>(_mm_movemask_epi8(high))
                                                               << 16;
#else
    uint32_t bits = 0;
    for (size_t lane = 0; lane < kBlockSize; ++lane)
        bits |= mask[lane] != 0 ? uint32_t{1} << lane : 0;
    return bits;
#endif
}

// The first block of kBlockSize start positions, from `start` on, where some
// pattern's two filter bytes agree; bit k of lanes[i] says whether probe i agrees
// at the block's start + k. -1 when no block before blockEnd has one. The number
// of probes is a constant, so that their bytes stay in registers.
template <size_t Count>
__attribute__((always_inline)) inline int64_t
FindCandidateBlockOf(const unsigned char* bytes, size_t start, size_t blockEnd,
                     const ByteFinderSet::Probe* probes, uint32_t* lanes)
{
    Block rareBytes[Count], secondBytes[Count];
    size_t rarePositions[Count], secondPositions[Count];
    for (size_t i = 0; i < Count; ++i) {
        rareBytes[i] = Block{} + probes[i].rare;
        secondBytes[i] = Block{} + probes[i].second;
        rarePositions[i] = probes[i].rarePosition;
        secondPositions[i] = probes[i].secondPosition;
    }
    // The mask goes out by reference for the same calling-convention reason as in LaneBits.
    const auto agreeAt = [&](size_t at, size_t i, BlockMask& agree) {
        Block rare, second;
        memcpy(&rare, bytes + at + rarePositions[i], kBlockSize);
        memcpy(&second, bytes + at + secondPositions[i], kBlockSize);
        agree = (rare == rareBytes[i]) & (second == secondBytes[i]);
    };
    for (; start + kBlockSize <= blockEnd; start += kBlockSize) {
        // Most blocks have no candidate: only their union is kept in the loop, and
        // the lanes of each probe are worked out again for the rare block that has one.
        BlockMask any, agree;
        agreeAt(start, 0, any);
        for (size_t i = 1; i < Count; ++i) {
            agreeAt(start, i, agree);
            any |= agree;
        }
        if (LaneBits(any) == 0)
            continue;
        for (size_t i = 0; i < Count; ++i) {
            agreeAt(start, i, agree);
            lanes[i] = LaneBits(agree);
        }
        return static_cast<int64_t>(start);
    }
    return -1;
}

KESTROVA_BYTE_FINDER_SET_CLONES
int64_t FindCandidateBlock(const unsigned char* bytes, size_t start, size_t blockEnd,
                           const ByteFinderSet::Probe* probes, size_t count, uint32_t* lanes)
{
    static_assert(ByteFinderSet::kMaxFiltered == 8);
    switch (count) {
    case 1:
        return FindCandidateBlockOf<1>(bytes, start, blockEnd, probes, lanes);
    case 2:
        return FindCandidateBlockOf<2>(bytes, start, blockEnd, probes, lanes);
    case 3:
        return FindCandidateBlockOf<3>(bytes, start, blockEnd, probes, lanes);
    case 4:
        return FindCandidateBlockOf<4>(bytes, start, blockEnd, probes, lanes);
    case 5:
        return FindCandidateBlockOf<5>(bytes, start, blockEnd, probes, lanes);
    case 6:
        return FindCandidateBlockOf<6>(bytes, start, blockEnd, probes, lanes);
    case 7:
        return FindCandidateBlockOf<7>(bytes, start, blockEnd, probes, lanes);
    default:
        return FindCandidateBlockOf<8>(bytes, start, blockEnd, probes, lanes);
    }
}

struct ScanContext {
    const std::vector<QByteArray>* patterns;
    const std::vector<size_t>* indexOfId;
    const std::vector<bool>* reported;
    size_t offset;
    bool (*function)(void*, size_t, size_t);
    void* context;
};

int OnHyperscanMatch(unsigned int id, unsigned long long /*from*/, unsigned long long to,
                     unsigned int /*flags*/, void* context)
{
    const auto* scan = static_cast<const ScanContext*>(context);
    const size_t index = (*scan->indexOfId)[id];
    if (!scan->reported->empty() && (*scan->reported)[index])
        return 0;
    // Literal mode reports where a match ends; it starts one pattern length before.
    const size_t start = static_cast<size_t>(to) - static_cast<size_t>((*scan->patterns)[index].size());
    return scan->function(scan->context, index, scan->offset + start) ? 0 : 1;
}

} // namespace

ByteFinderSet::ByteFinderSet(const std::vector<QByteArray>& patterns) : m_patterns(patterns)
{
    std::vector<const char*> expressions;
    std::vector<size_t> lengths;
    std::vector<unsigned int> flags;
    std::vector<unsigned int> ids;
    for (size_t i = 0; i < m_patterns.size(); ++i) {
        if (m_patterns[i].isEmpty())
            continue;
        expressions.push_back(m_patterns[i].constData());
        lengths.push_back(static_cast<size_t>(m_patterns[i].size()));
        // One report per pattern and scan is all the scanner needs.
        flags.push_back(HS_FLAG_SINGLEMATCH);
        ids.push_back(static_cast<unsigned int>(m_indexOfId.size()));
        m_indexOfId.push_back(i);
    }
    if (expressions.size() <= kMaxFiltered) {
        auto probes = std::make_shared<std::vector<Probe>>();
        for (size_t i = 0; i < m_patterns.size(); ++i) {
            if (m_patterns[i].isEmpty())
                continue;
            const ByteFinder finder(m_patterns[i]);
            const auto rare = static_cast<unsigned char>(m_patterns[i][finder.rarePosition()]);
            const auto second = static_cast<unsigned char>(m_patterns[i][finder.secondPosition()]);
            probes->push_back({rare, second, finder.rarePosition(), finder.secondPosition()});
            m_filtered.push_back(i);
            m_filterReach = std::max({m_filterReach, finder.rarePosition(), finder.secondPosition()});
        }
        m_probes = std::move(probes);
    }
    if (expressions.empty() || hs_valid_platform() != HS_SUCCESS)
        return;
    hs_database_t* database = nullptr;
    hs_compile_error_t* error = nullptr;
    if (hs_compile_lit_multi(expressions.data(), flags.data(), ids.data(), lengths.data(),
                             static_cast<unsigned int>(expressions.size()), HS_MODE_BLOCK, nullptr, &database,
                             &error) != HS_SUCCESS) {
        qCWarning(kestrovaEngine) << "Hyperscan cannot compile the search terms:"
                                  << (error && error->message ? error->message : "no reason given");
        hs_free_compile_error(error);
        return;
    }
    hs_scratch_t* scratch = nullptr;
    if (hs_alloc_scratch(database, &scratch) != HS_SUCCESS) {
        qCWarning(kestrovaEngine) << "Hyperscan cannot allocate its scratch space";
        hs_free_database(database);
        return;
    }
    m_database.reset(database);
    m_scratch.reset(scratch);
}

void ByteFinderSet::FreeDatabase::operator()(hs_database* database) const
{
    hs_free_database(database);
}

void ByteFinderSet::FreeScratch::operator()(hs_scratch* scratch) const
{
    hs_free_scratch(scratch);
}

bool ByteFinderSet::scan(const char* data, size_t length, MatchFunction function, void* context) const
{
    if (!m_filtered.empty())
        return scanFiltered(data, length, function, context);
    return scanHyperscan(data, length, 0, {}, function, context);
}

bool ByteFinderSet::scanHyperscan(const char* data, size_t length, size_t offset,
                                  const std::vector<bool>& reported, MatchFunction function,
                                  void* context) const
{
    if (!hyperscanReady())
        return false;
    ScanContext scanContext{&m_patterns, &m_indexOfId, &reported, offset, function, context};
    // Hyperscan's block mode takes lengths below 4 GiB; the scanner's chunks are far smaller.
    const hs_error_t result =
        hs_scan(m_database.get(), data + offset, static_cast<unsigned int>(length - offset), 0,
                m_scratch.get(), &OnHyperscanMatch, &scanContext);
    return result == HS_SUCCESS || result == HS_SCAN_TERMINATED;
}

bool ByteFinderSet::scanFiltered(const char* data, size_t length, MatchFunction function, void* context) const
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(data);
    const Probe* probes = m_probes->data();
    const size_t count = m_filtered.size();
    std::vector<bool> reported(m_patterns.size(), false);
    size_t left = count;
    // Whether pattern of `probe` starts at `start`, and then reports it; `ended`
    // once the scan is to end.
    bool ended = false;
    const auto tryAt = [&](size_t probe, size_t start) {
        const size_t pattern = m_filtered[probe];
        const QByteArray& wanted = m_patterns[pattern];
        const auto wantedLength = static_cast<size_t>(wanted.size());
        if (reported[pattern] || start + wantedLength > length ||
            memcmp(data + start, wanted.constData(), wantedLength) != 0)
            return false;
        reported[pattern] = true;
        ended = !function(context, pattern, start) || --left == 0;
        return true;
    };

    // Blocks whose loads stay inside the buffer; the starts after them one by one.
    const size_t blockEnd = length > m_filterReach ? length - m_filterReach : 0;
    uint32_t lanes[kMaxFiltered];
    size_t candidates = 0;
    size_t start = 0;
    for (;;) {
        const int64_t block = FindCandidateBlock(bytes, start, blockEnd, probes, count, lanes);
        if (block < 0) {
            // Every block that fits was searched; the starts after them remain.
            if (blockEnd > start)
                start += (blockEnd - start) / kBlockSize * kBlockSize;
            break;
        }
        start = static_cast<size_t>(block);
        // Candidates in the order of their start, whichever pattern they are for.
        uint32_t anyLane = 0;
        for (size_t probe = 0; probe < count; ++probe)
            anyLane |= lanes[probe];
        for (; anyLane != 0; anyLane &= anyLane - 1) {
            const auto lane = static_cast<size_t>(__builtin_ctz(anyLane));
            for (size_t probe = 0; probe < count; ++probe) {
                if ((lanes[probe] >> lane & 1) == 0)
                    continue;
                if (!tryAt(probe, start + lane))
                    ++candidates;
                else if (ended)
                    return true;
            }
        }
        start += kBlockSize;
        // Data that passes the filter too often (long runs of the patterns' bytes).
        if (candidates > kCandidateAllowance + start / 8 && hyperscanReady())
            return scanHyperscan(data, length, start, reported, function, context);
    }
    for (; start < length; ++start) {
        for (size_t probe = 0; probe < count; ++probe) {
            if (tryAt(probe, start) && ended)
                return true;
        }
    }
    return true;
}

const ByteFinderSet& ByteFinderSet::cachedFor(const std::vector<QByteArray>& patterns)
{
    thread_local std::unique_ptr<ByteFinderSet> cached;
    if (!cached || cached->patterns() != patterns)
        cached = std::make_unique<ByteFinderSet>(patterns);
    return *cached;
}
