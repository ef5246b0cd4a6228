#include "engine/PatternScan.h"

#include "support/MemoryByteSource.h"
#include "support/RandomBytes.h"

#include <gtest/gtest.h>
#include <random>
#include <stop_token>

namespace {

class PatternScanTest : public ::testing::Test {};

std::vector<ByteFinder> Finders(std::initializer_list<QByteArray> patterns)
{
    return std::vector<ByteFinder>(patterns.begin(), patterns.end());
}

PatternScanResult Scan(MemoryByteSource& source, const std::vector<ByteFinder>& finders, size_t chunkSize,
                       bool stopAtFirstHit = false)
{
    return ScanForPatterns(source, source.size(), finders, stopAtFirstHit, chunkSize);
}

// Whatever the chunk size, the answers are those of a search of the whole content:
// a pattern across one or several chunk boundaries is found, and bytes carried over
// from the previous chunk never make up a false match.
TEST_F(PatternScanTest, ChunkedAnswersEqualWholeContentSearch)
{
    std::mt19937 random(7);
    for (int round = 0; round < 300; ++round) {
        const QByteArray content = RandomBytes(random, static_cast<qsizetype>(1 + random() % 200), "abc");
        std::vector<ByteFinder> finders;
        for (int i = 0; i < 4; ++i)
            finders.emplace_back(RandomBytes(random, static_cast<qsizetype>(1 + random() % 9), "abc"));
        for (size_t chunkSize :
             {size_t{1}, size_t{2}, size_t{3}, size_t{5}, size_t{8}, size_t{64}, kScanChunkSize}) {
            MemoryByteSource source(content);
            const PatternScanResult result = Scan(source, finders, chunkSize);
            ASSERT_EQ(result.status, ScanStatus::Completed);
            for (size_t i = 0; i < finders.size(); ++i) {
                ASSERT_EQ(result.found[i], content.contains(finders[i].pattern()))
                    << content.constData() << " / " << finders[i].pattern().constData() << " chunk "
                    << chunkSize;
            }
        }
    }
}

TEST_F(PatternScanTest, ShortReadsLoseNothing)
{
    MemoryByteSource source(QByteArray(100, '-') + "split here" + QByteArray(100, '-'));
    source.setMaxReadLength(3);
    const PatternScanResult result = Scan(source, Finders({"split here"}), 64);
    EXPECT_EQ(result.status, ScanStatus::Completed);
    EXPECT_TRUE(result.found[0]);
}

TEST_F(PatternScanTest, ReadsEachByteOnceForSeveralPatterns)
{
    MemoryByteSource source(QByteArray(10000, 'z'));
    const PatternScanResult result = Scan(source, Finders({"one", "two", "three"}), 1000);
    EXPECT_EQ(result.found, (std::vector<bool>{false, false, false}));
    EXPECT_EQ(source.bytesRead(), 10000);
    EXPECT_EQ(source.readCount(), 10);
    EXPECT_TRUE(source.readsAligned(4096));
}

TEST_F(PatternScanTest, EndsOnceTheAnswerIsKnown)
{
    const QByteArray content = "first" + QByteArray(10000, '.') + "second" + QByteArray(10000, '.');
    {
        MemoryByteSource source(content);
        const PatternScanResult result = Scan(source, Finders({"second", "first"}), 100, true);
        EXPECT_EQ(result.found, (std::vector<bool>{false, true}));
        EXPECT_EQ(source.readCount(), 1);
    }
    {
        // Without stopAtFirstHit reading ends once every pattern is found.
        MemoryByteSource source(content);
        const PatternScanResult result = Scan(source, Finders({"second", "first"}), 100);
        EXPECT_EQ(result.found, (std::vector<bool>{true, true}));
        EXPECT_EQ(source.readCount(), 101);
    }
}

TEST_F(PatternScanTest, PatternsThatCannotOccurCostNoReading)
{
    MemoryByteSource source("short");
    const PatternScanResult result = Scan(source, Finders({"", "longer than the file"}), 4);
    EXPECT_EQ(result.status, ScanStatus::Completed);
    EXPECT_EQ(result.found, (std::vector<bool>{false, false}));
    EXPECT_EQ(source.readCount(), 0);
}

TEST_F(PatternScanTest, SourceEndingBeforeItsSizeEndsTheScan)
{
    // The file shrank after its size was taken: reads return 0, the scan must end.
    MemoryByteSource source("abc tail");
    source.setReportedSize(1000);
    const PatternScanResult result = Scan(source, Finders({"tail", "zzz"}), 3);
    EXPECT_EQ(result.status, ScanStatus::Completed);
    EXPECT_EQ(result.found, (std::vector<bool>{true, false}));
}

TEST_F(PatternScanTest, GrowingSourceIsReadOnlyUpToItsSize)
{
    MemoryByteSource source("head, and text written later");
    source.setReportedSize(4);
    const PatternScanResult result = Scan(source, Finders({"head", "later"}), 2);
    EXPECT_EQ(result.found, (std::vector<bool>{true, false}));
    EXPECT_EQ(source.bytesRead(), 4);
}

} // namespace
