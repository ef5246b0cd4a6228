#include "engine/ByteFinderSet.h"

#include "support/RandomBytes.h"

#include <gtest/gtest.h>
#include <random>
#include <set>
#include <string_view>
#include <utility>
#include <vector>

namespace {

using Matches = std::vector<std::pair<size_t, size_t>>; // (pattern, start)

Matches FindAll(const ByteFinderSet& set, const QByteArray& data)
{
    Matches matches;
    EXPECT_TRUE(set.findEach(data.constData(), size_t(data.size()), [&](size_t pattern, size_t start) {
        matches.emplace_back(pattern, start);
        return true;
    }));
    return matches;
}

TEST(ByteFinderSetTest, ReportsTheFirstMatchOfEveryPatternInOrderOfItsEnd)
{
    const ByteFinderSet set({"world", "hello", "lo w", "absent"});
    ASSERT_TRUE(set.valid());
    EXPECT_EQ(FindAll(set, "say hello world, hello world"), (Matches{{1, 4}, {2, 7}, {0, 10}}));
}

TEST(ByteFinderSetTest, AgreesWithASearchOfEachPattern)
{
    std::mt19937 random(11);
    for (int round = 0; round < 200; ++round) {
        constexpr std::string_view kAlphabet("ab\0c", 4);
        const QByteArray data = RandomBytes(random, static_cast<qsizetype>(1 + random() % 3000), kAlphabet);
        std::vector<QByteArray> patterns;
        for (int i = 0, count = int(2 + random() % 5); i < count; ++i)
            patterns.push_back(RandomBytes(random, static_cast<qsizetype>(1 + random() % 12), kAlphabet));
        const ByteFinderSet set(patterns);
        ASSERT_TRUE(set.valid());
        std::set<std::pair<size_t, size_t>> expected;
        for (size_t i = 0; i < patterns.size(); ++i) {
            const qsizetype at = data.indexOf(patterns[i]);
            if (at >= 0)
                expected.emplace(i, size_t(at));
        }
        const Matches found = FindAll(set, data);
        // Each pattern once, where it first ends: its first start for a literal.
        std::set<std::pair<size_t, size_t>> reported(found.begin(), found.end());
        ASSERT_EQ(reported.size(), found.size());
        EXPECT_EQ(reported, expected) << "round " << round;
    }
}

TEST(ByteFinderSetTest, ManyPatternsGoThroughHyperscan)
{
    std::vector<QByteArray> patterns;
    for (int i = 0; i < 12; ++i)
        patterns.push_back("term" + QByteArray::number(i) + "!");
    const ByteFinderSet set(patterns);
    ASSERT_TRUE(set.valid());
    EXPECT_EQ(FindAll(set, "x term11! y term3! z term11! term0"), (Matches{{11, 2}, {3, 12}}));
}

TEST(ByteFinderSetTest, DataThatDefeatsTheFilterIsStillSearchedToTheEnd)
{
    // Every other position agrees with both patterns' filter bytes ('X' and 'z'):
    // the search hands the rest of the buffer on and still finds what lies far behind.
    QByteArray data = QByteArray("zX").repeated(100000);
    data.replace(150000, 13, "zXzXzXzXzXzXq");
    data.replace(190000, 13, "zXzXzXzXzXzXw");
    const ByteFinderSet set({"zXzXzXzXzXzXw", "zXzXzXzXzXzXq"});
    EXPECT_EQ(FindAll(set, data), (Matches{{1, 150000}, {0, 190000}}));
}

TEST(ByteFinderSetTest, EndsTheScanWhenAskedTo)
{
    const ByteFinderSet set({"one", "two", "three"});
    Matches matches;
    EXPECT_TRUE(set.findEach("one two three", 13, [&](size_t pattern, size_t start) {
        matches.emplace_back(pattern, start);
        return false;
    }));
    EXPECT_EQ(matches, (Matches{{0, 0}}));
}

TEST(ByteFinderSetTest, EmptyPatternsAreLeftOutAndNothingToFindGivesNoSet)
{
    const ByteFinderSet set({"", "b", ""});
    ASSERT_TRUE(set.valid());
    EXPECT_EQ(FindAll(set, "abc"), (Matches{{1, 1}}));
    EXPECT_FALSE(ByteFinderSet({"", ""}).valid());
    EXPECT_FALSE(ByteFinderSet({}).valid());
}

TEST(ByteFinderSetTest, TheCacheKeepsOneSetPerThreadForTheSamePatterns)
{
    const std::vector<QByteArray> patterns{"x", "y"};
    const ByteFinderSet& first = ByteFinderSet::cachedFor(patterns);
    EXPECT_EQ(&ByteFinderSet::cachedFor(patterns), &first);
    const ByteFinderSet& other = ByteFinderSet::cachedFor({"x", "z"});
    EXPECT_EQ(other.patterns(), (std::vector<QByteArray>{"x", "z"}));
}

} // namespace
