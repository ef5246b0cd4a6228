#include "engine/ByteFinder.h"

#include <array>
#include <cstring>
#include <string_view>
#include <utility>

namespace {

using namespace std::string_view_literals;

// Bytes from the most to the least common in what people search: English-like text
// and source code, UTF-16 text (every other byte zero) and binaries (runs of 0x00 and
// 0xFF). Bytes not listed count as rarest. Only the choice of filter bytes depends on
// it, never the result.
constexpr std::string_view kCommonBytes =
    " \0etaoinsrhldcumfpgwyb,.\n\r\t\xff"
    "vk0123456789TSAIECMPRNODLBHFWGx-\"'/():;=_jqzUKVYJQXZ<>{}[]!?*&#%+@$\\|~^`"sv;

constexpr std::array<uint8_t, 256> MakeCommonness()
{
    std::array<uint8_t, 256> commonness{};
    for (size_t i = 0; i < kCommonBytes.size(); ++i)
        commonness[static_cast<unsigned char>(kCommonBytes[i])] = static_cast<uint8_t>(255 - i);
    return commonness;
}

constexpr std::array<uint8_t, 256> kCommonness = MakeCommonness();

uint8_t Commonness(char byte)
{
    return kCommonness[static_cast<unsigned char>(byte)];
}

// Candidates the filter may pass before the search gives up on it: a fixed allowance
// plus one per eight positions scanned. Text with rare filter bytes stays far below.
constexpr size_t kCandidateAllowance = 64;

int64_t FindByMemmem(const char* data, size_t length, const char* pattern, size_t patternLength)
{
    const void* hit = memmem(data, length, pattern, patternLength);
    return hit ? static_cast<const char*>(hit) - data : -1;
}

// GCC vector extensions keep this portable; on x86-64 the function is also built for
// AVX2 and the loader picks the best clone for the processor. Not under
// ThreadSanitizer: its runtime crashes resolving the clone at start-up (GCC 12).
typedef unsigned char Block __attribute__((vector_size(32)));
typedef uint64_t BlockWords __attribute__((vector_size(32)));
constexpr size_t kBlockSize = sizeof(Block);

#if defined(__x86_64__) && !defined(__SANITIZE_THREAD__)
#define KESTROVA_BYTE_FINDER_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define KESTROVA_BYTE_FINDER_CLONES
#endif

KESTROVA_BYTE_FINDER_CLONES
int64_t FindFiltered(const char* data, size_t length, const char* pattern, size_t patternLength,
                     size_t rarePosition, size_t secondPosition)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(data);
    const size_t lastStart = length - patternLength;
    const Block rareByte = Block{} + static_cast<unsigned char>(pattern[rarePosition]);
    const Block secondByte = Block{} + static_cast<unsigned char>(pattern[secondPosition]);
    size_t candidates = 0;
    size_t start = 0;
    for (; start + kBlockSize <= lastStart + 1; start += kBlockSize) {
        Block rare, second;
        memcpy(&rare, bytes + start + rarePosition, kBlockSize);
        memcpy(&second, bytes + start + secondPosition, kBlockSize);
        const auto agree = (rare == rareByte) & (second == secondByte);
        BlockWords words;
        memcpy(&words, &agree, kBlockSize);
        if ((words[0] | words[1] | words[2] | words[3]) == 0)
            continue;
        for (size_t lane = 0; lane < kBlockSize; ++lane) {
            if (agree[lane] == 0)
                continue;
            if (memcmp(data + start + lane, pattern, patternLength) == 0)
                return static_cast<int64_t>(start + lane);
            ++candidates;
        }
        if (candidates > kCandidateAllowance + start / 8) {
            const int64_t hit =
                FindByMemmem(data + start + kBlockSize, length - start - kBlockSize, pattern, patternLength);
            return hit < 0 ? -1 : hit + static_cast<int64_t>(start + kBlockSize);
        }
    }
    for (; start <= lastStart; ++start) {
        if (data[start + rarePosition] == pattern[rarePosition] &&
            memcmp(data + start, pattern, patternLength) == 0)
            return static_cast<int64_t>(start);
    }
    return -1;
}

} // namespace

ByteFinder::ByteFinder(QByteArray pattern) : m_pattern(std::move(pattern))
{
    const size_t length = size();
    for (size_t i = 1; i < length; ++i) {
        if (Commonness(m_pattern[i]) < Commonness(m_pattern[m_rarePosition]))
            m_rarePosition = i;
    }
    // The second filter byte: the rarest one with a different value; a pattern of
    // one repeated byte uses its last position.
    m_secondPosition = length > 0 ? length - 1 : 0;
    bool haveDifferent = false;
    for (size_t i = 0; i < length; ++i) {
        if (m_pattern[i] == m_pattern[m_rarePosition])
            continue;
        if (!haveDifferent || Commonness(m_pattern[i]) < Commonness(m_pattern[m_secondPosition])) {
            m_secondPosition = i;
            haveDifferent = true;
        }
    }
}

int64_t ByteFinder::find(const char* data, size_t length) const
{
    const size_t patternLength = size();
    if (patternLength == 0 || patternLength > length)
        return -1;
    if (patternLength == 1) {
        const void* hit = memchr(data, m_pattern[0], length);
        return hit ? static_cast<const char*>(hit) - data : -1;
    }
    return FindFiltered(data, length, m_pattern.constData(), patternLength, m_rarePosition, m_secondPosition);
}
