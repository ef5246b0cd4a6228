#include "engine/PatternScan.h"

#include "engine/ByteFinderSet.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>

namespace {

// Reads land on page-aligned addresses: the kernel copies into a misaligned buffer
// several times slower (measured 7 GB/s aligned against 1.4 GB/s at offset 8). The
// bytes carried from the previous chunk sit in a headroom just before it.
constexpr size_t kReadAlignment = 4096;

size_t RoundUp(size_t value, size_t multiple)
{
    return (value + multiple - 1) / multiple * multiple;
}

class ScanBuffer {
public:
    ScanBuffer(size_t headroom, size_t readSize)
        : m_storage(std::make_unique_for_overwrite<char[]>(headroom + readSize + kReadAlignment))
    {
        const auto start = reinterpret_cast<uintptr_t>(m_storage.get());
        m_readArea = m_storage.get() + (RoundUp(start + headroom, kReadAlignment) - start);
    }

    // Where each chunk is read to; at least headroom bytes before it are usable.
    char* readArea() const { return m_readArea; }

private:
    std::unique_ptr<char[]> m_storage;
    char* m_readArea = nullptr;
};

// One scan's bookkeeping: which patterns are still wanted, what was found, and the
// bytes after the first hit still to collect from the chunks that follow.
class ScanState {
public:
    ScanState(const std::vector<ByteFinder>& finders, int64_t size, size_t contextBytes)
        : m_finders(finders), m_contextBytes(contextBytes)
    {
        m_result.found.assign(finders.size(), false);
        m_pending.assign(finders.size(), false);
        for (size_t i = 0; i < finders.size(); ++i) {
            const size_t length = finders[i].size();
            if (length == 0 || length > static_cast<uint64_t>(size))
                continue;
            m_pending[i] = true;
            ++m_pendingCount;
            m_longest = std::max(m_longest, length);
        }
    }

    size_t pendingCount() const { return m_pendingCount; }
    bool pending(size_t finder) const { return m_pending[finder]; }
    size_t longest() const { return m_longest; }
    size_t tailMissing() const { return m_tailMissing; }
    PatternScanResult& result() { return m_result; }

    // Records a hit at `start` of the window that begins at file offset windowOffset.
    void found(size_t finder, const char* window, size_t windowLength, int64_t windowOffset, size_t start)
    {
        m_result.found[finder] = true;
        m_pending[finder] = false;
        --m_pendingCount;
        if (m_result.first)
            return;
        PatternHit& hit = m_result.first.emplace();
        hit.finder = finder;
        hit.offset = windowOffset + static_cast<int64_t>(start);
        const size_t before = std::min(start, m_contextBytes);
        const size_t end = start + m_finders[finder].size();
        const size_t after = std::min(windowLength - end, m_contextBytes);
        hit.context =
            QByteArray(window + start - before, static_cast<qsizetype>(before + end - start + after));
        hit.matchStart = before;
        hit.matchLength = end - start;
        m_tailMissing = m_contextBytes - after;
    }

    // Adds the start of a newly read chunk to the first hit's bytes after it.
    void collectTail(const char* bytes, size_t length)
    {
        const size_t taken = std::min(length, m_tailMissing);
        m_result.first->context.append(bytes, static_cast<qsizetype>(taken));
        m_tailMissing -= taken;
    }

private:
    const std::vector<ByteFinder>& m_finders;
    size_t m_contextBytes;
    PatternScanResult m_result;
    std::vector<bool> m_pending;
    size_t m_pendingCount = 0;
    size_t m_longest = 0;
    size_t m_tailMissing = 0;
};

std::vector<QByteArray> PatternsOf(const std::vector<ByteFinder>& finders)
{
    std::vector<QByteArray> patterns;
    patterns.reserve(finders.size());
    for (const ByteFinder& finder : finders)
        patterns.push_back(finder.pattern());
    return patterns;
}

} // namespace

PatternScanResult ScanForPatterns(ByteSource& source, int64_t size, const std::vector<ByteFinder>& finders,
                                  bool stopAtFirstHit, size_t chunkSize, const std::stop_token& stop,
                                  size_t contextBytes)
{
    if (size <= 0)
        return ScanState(finders, 0, 0).result();
    ScanState state(finders, size, contextBytes);
    if (state.pendingCount() == 0)
        return state.result();

    // Several patterns go through one pass of the set; where the set cannot be
    // built they are searched one by one.
    const ByteFinderSet* set = nullptr;
    if (state.pendingCount() > 1) {
        set = &ByteFinderSet::cachedFor(PatternsOf(finders));
        if (!set->valid())
            set = nullptr;
    }

    // The carried bytes: enough for a pattern across the boundary and for the
    // context before a hit at the start of a chunk.
    const size_t carry = std::max(state.longest() - 1, contextBytes);
    const size_t readSize = static_cast<size_t>(std::min<uint64_t>(std::max<size_t>(chunkSize, 1), size));

    // A mapped source is searched in place: each window is the chunk and the
    // carried bytes before it, where they already lie. Otherwise chunks are read
    // into a buffer and the carried bytes moved before the next one.
    const std::unique_ptr<MappedBytes> mapped = source.map();
    std::optional<ScanBuffer> buffer;
    if (mapped)
        size = std::min(size, mapped->size());
    else
        buffer.emplace(RoundUp(carry, kReadAlignment), readSize);

    size_t carried = 0;
    int64_t offset = 0;
    bool decided = false;
    while (offset < size && !decided) {
        if (stop.stop_requested()) {
            state.result().status = ScanStatus::Stopped;
            return state.result();
        }
        const int64_t wanted = std::min<int64_t>(static_cast<int64_t>(readSize), size - offset);
        int64_t got = wanted;
        const char* const chunk = mapped ? mapped->data() + offset : buffer->readArea();
        if (!mapped) {
            got = source.read(offset, buffer->readArea(), wanted);
            if (got < 0 || got > wanted) {
                state.result().status = ScanStatus::ReadFailed;
                return state.result();
            }
            if (got == 0)
                break; // the file shrank while it was read
        }
        if (state.tailMissing() > 0)
            state.collectTail(chunk, static_cast<size_t>(got));
        const int64_t windowOffset = offset - static_cast<int64_t>(carried);
        offset += got;

        const char* const window = chunk - carried;
        const size_t windowLength = carried + static_cast<size_t>(got);
        // A pattern still pending cannot lie wholly in the carried bytes (they
        // were searched with the previous chunk), so every match reported here is new.
        const auto onMatch = [&](size_t finder, size_t start) {
            if (!state.pending(finder))
                return true;
            state.found(finder, window, windowLength, windowOffset, start);
            decided = stopAtFirstHit || state.pendingCount() == 0;
            return !decided;
        };
        if (!set || state.pendingCount() == 1 || !set->findEach(window, windowLength, onMatch)) {
            // One pattern at a time; the earliest match of the chunk counts as its first hit.
            std::vector<std::pair<size_t, size_t>> hits; // (end, finder)
            for (size_t i = 0; i < finders.size(); ++i) {
                if (!state.pending(i))
                    continue;
                // Start where a match would end inside the new bytes: earlier starts were
                // tried with the previous chunk.
                const size_t skip = carried - std::min(carried, finders[i].size() - 1);
                const int64_t at = finders[i].find(window + skip, windowLength - skip);
                if (at >= 0)
                    hits.emplace_back(skip + static_cast<size_t>(at) + finders[i].size(), i);
            }
            std::sort(hits.begin(), hits.end());
            for (const auto& [end, finder] : hits) {
                if (!onMatch(finder, end - finders[finder].size()))
                    break;
            }
        }
        // Zeros in place of pages the file lost under the mapping: nothing
        // searched in them counts.
        if (mapped && !mapped->intact()) {
            state.result().status = ScanStatus::ReadFailed;
            return state.result();
        }

        const size_t keep = std::min(carry, windowLength);
        if (!mapped)
            memmove(buffer->readArea() - keep, buffer->readArea() + got - keep, keep);
        carried = keep;
    }
    // The bytes after a hit near the end of the last chunk read.
    if (state.tailMissing() > 0 && offset < size) {
        const size_t wanted = std::min<size_t>(state.tailMissing(), static_cast<uint64_t>(size - offset));
        if (mapped) {
            state.collectTail(mapped->data() + offset, wanted);
            if (!mapped->intact())
                state.result().status = ScanStatus::ReadFailed;
        } else {
            const int64_t got = source.read(offset, buffer->readArea(), static_cast<int64_t>(wanted));
            if (got > 0)
                state.collectTail(buffer->readArea(), std::min(static_cast<size_t>(got), wanted));
        }
    }
    return state.result();
}
