#include "engine/ByteFinder.h"

#include "support/RandomBytes.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>

namespace {

int64_t NaiveFind(const QByteArray& data, const QByteArray& pattern)
{
    if (pattern.isEmpty() || pattern.size() > data.size())
        return -1;
    const auto hit = std::search(data.begin(), data.end(), pattern.begin(), pattern.end());
    return hit == data.end() ? -1 : hit - data.begin();
}

int64_t Find(const QByteArray& data, const QByteArray& pattern)
{
    return ByteFinder(pattern).find(data.constData(), static_cast<size_t>(data.size()));
}

// Every pattern length against every position relative to the 32-byte blocks the
// filter compares, including the last possible start and the scalar tail.
TEST(ByteFinderTest, FindsPatternAtEveryPositionAndLength)
{
    for (int length = 1; length <= 70; ++length) {
        QByteArray pattern;
        for (int i = 0; i < length; ++i)
            pattern.append(static_cast<char>('A' + i % 26));
        for (int total = length; total <= length + 100; total += 3) {
            for (int position = 0; position + length <= total; ++position) {
                QByteArray data(total, 'x');
                data.replace(position, length, pattern);
                ASSERT_EQ(Find(data, pattern), position)
                    << "length " << length << " total " << total << " position " << position;
            }
            ASSERT_EQ(Find(QByteArray(total, 'x'), pattern), -1);
        }
    }
}

// Small alphabets make near misses and overlapping candidates frequent, the cases
// where a filter or a skip rule goes wrong.
TEST(ByteFinderTest, AgreesWithPlainSearchOnRandomData)
{
    std::mt19937 random(20240611);
    const QByteArray alphabets[] = {"ab", "abc", QByteArray("\0\xff", 2), "etaoin shrdlu"};
    for (const QByteArray& alphabet : alphabets) {
        for (int round = 0; round < 4000; ++round) {
            const QByteArray data = RandomBytes(random, static_cast<int>(random() % 300), alphabet);
            QByteArray pattern;
            if (round % 2 == 0 && !data.isEmpty()) {
                const int start = static_cast<int>(random() % data.size());
                pattern = data.mid(start, 1 + static_cast<int>(random() % 40));
            } else {
                pattern = RandomBytes(random, 1 + static_cast<int>(random() % 12), alphabet);
            }
            ASSERT_EQ(Find(data, pattern), NaiveFind(data, pattern))
                << data.toHex().constData() << " / " << pattern.toHex().constData();
        }
    }
}

TEST(ByteFinderTest, RepetitiveDataStaysCorrect)
{
    // Both filter bytes agree at every other position and each comparison fails only
    // at the pattern's end, so the search has to switch to its fallback part-way.
    const QByteArray pattern = QByteArray("ab").repeated(50) + "ba";
    QByteArray data = QByteArray("ab").repeated(1 << 19);
    EXPECT_EQ(Find(data, pattern), -1);
    data.replace(data.size() - pattern.size(), pattern.size(), pattern);
    EXPECT_EQ(Find(data, pattern), data.size() - pattern.size());
    data.replace(5000, pattern.size(), pattern);
    EXPECT_EQ(Find(data, pattern), 5000);
}

TEST(ByteFinderTest, ComparesExactBytes)
{
    const QByteArray utf16("h\0e\0l\0l\0o\0", 10);
    EXPECT_EQ(Find(QByteArray("xx") + utf16, utf16), 2);
    EXPECT_EQ(Find(QByteArray("xx") + utf16, "hello"), -1);
    EXPECT_EQ(Find("say Hello", "hello"), -1);
    EXPECT_EQ(Find("caf\xc3\xa9", "\xc3\xa9"), 3);
    EXPECT_EQ(Find(QByteArray("\x80\xff\x00\x01", 4), QByteArray("\xff\x00", 2)), 1);
}

} // namespace
