#include "model/DateTime.h"

#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>

namespace {

TEST(DateTimeTest, EncodesDaysSince1899)
{
    EXPECT_DOUBLE_EQ(EncodeDateTime({1899, 12, 30}), 0.0);
    EXPECT_DOUBLE_EQ(EncodeDateTime({1900, 1, 1}), 2.0);
    EXPECT_DOUBLE_EQ(EncodeDateTime({2000, 1, 1, 12}), 36526.5);
    EXPECT_DOUBLE_EQ(EncodeDateTime({1899, 12, 29, 6}), -1.25);
    EXPECT_DOUBLE_EQ(EncodeDateTime({2023, 2, 29}), 0.0); // no such day
}

TEST(DateTimeTest, DecodeRoundTripsToTheMillisecond)
{
    const DateTimeParts parts{2024, 2, 29, 23, 59, 58, 999};
    const DateTimeParts back = DecodeDateTime(EncodeDateTime(parts));
    EXPECT_EQ(back.year, 2024);
    EXPECT_EQ(back.month, 2);
    EXPECT_EQ(back.day, 29);
    EXPECT_EQ(back.hour, 23);
    EXPECT_EQ(back.minute, 59);
    EXPECT_EQ(back.second, 58);
    EXPECT_EQ(back.msec, 999);
    const DateTimeParts negative = DecodeDateTime(-1.25);
    EXPECT_EQ(negative.day, 29);
    EXPECT_EQ(negative.hour, 6);
}

TEST(DateTimeTest, PacksDosDateAndDropsOddSecond)
{
    const int32_t packed = DateTimeToFileDate(EncodeDateTime({2010, 6, 15, 13, 45, 31}));
    EXPECT_EQ(static_cast<uint32_t>(packed) >> 16, ((2010u - 1980) << 9) | (6 << 5) | 15);
    EXPECT_EQ(packed & 0xFFFF, (13 << 11) | (45 << 5) | 15);
    const DateTimeParts back = DecodeDateTime(FileDateToDateTime(packed));
    EXPECT_EQ(back.second, 30);
    EXPECT_EQ(back.minute, 45);
}

TEST(DateTimeTest, YearsOutside1980To2107PackToZero)
{
    EXPECT_EQ(DateTimeToFileDate(EncodeDateTime({1979, 12, 31, 23, 59, 59})), 0);
    EXPECT_NE(DateTimeToFileDate(EncodeDateTime({1980, 1, 1})), 0);
    EXPECT_NE(DateTimeToFileDate(EncodeDateTime({2107, 12, 31, 23, 59, 58})), 0);
    EXPECT_EQ(DateTimeToFileDate(EncodeDateTime({2108, 1, 1})), 0);
}

TEST(DateTimeTest, PackedValuesCompareChronologically)
{
    // Dates after 2043 set the sign bit, so range tests go through FileDateInRange;
    // within the years before 2044 the plain signed order is chronological too.
    const int32_t a = DateTimeToFileDate(EncodeDateTime({2020, 1, 1, 10}));
    const int32_t b = DateTimeToFileDate(EncodeDateTime({2020, 1, 1, 10, 0, 2}));
    const int32_t c = DateTimeToFileDate(EncodeDateTime({2021, 1, 1}));
    EXPECT_LT(a, b);
    EXPECT_LT(b, c);
}

TEST(DateTimeTest, InvalidPackedFieldsGiveZero)
{
    EXPECT_DOUBLE_EQ(FileDateToDateTime(0), 0.0); // month 0
}

TEST(DateTimeTest, UnixTimeUsesLocalTime)
{
    setenv("TZ", "UTC-2", 1); // two hours east of UTC
    tzset();
    const int32_t packed = UnixTimeToFileDate(1700000000); // 2023-11-14 22:13:20 UTC
    unsetenv("TZ");
    tzset();
    const DateTimeParts parts = DecodeDateTime(FileDateToDateTime(packed));
    EXPECT_EQ(parts.day, 15);
    EXPECT_EQ(parts.hour, 0);
    EXPECT_EQ(parts.minute, 13);
    EXPECT_EQ(parts.second, 20);
}

} // namespace

namespace {

TEST(DateTimeTest, FileDateRangeIsChronologicalPast2043)
{
    const int32_t from = DateTimeToFileDate(EncodeDateTime({2020, 1, 1}));
    const int32_t to = DateTimeToFileDate(EncodeDateTime({2100, 1, 1}));
    EXPECT_LT(to, 0); // bit 31 set: a signed comparison would put it before 1980
    EXPECT_TRUE(FileDateInRange(DateTimeToFileDate(EncodeDateTime({2050, 6, 1})), from, to));
    EXPECT_TRUE(FileDateInRange(from, from, to));
    EXPECT_TRUE(FileDateInRange(to, from, to));
    EXPECT_FALSE(FileDateInRange(DateTimeToFileDate(EncodeDateTime({2100, 1, 1, 0, 0, 2})), from, to));
    EXPECT_FALSE(FileDateInRange(0, from, to)); // dates outside 1980-2107 pack to 0
}

} // namespace
