#include "model/DateTimePattern.h"

#include "model/DateTime.h"
#include "model/ItemDateText.h"
#include "model/LocaleFormats.h"

#include <QDateTime>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace {

double Value(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0)
{
    return EncodeDateTime({y, mo, d, h, mi, s, ms});
}

QList<QLocale> Locales()
{
    return {QLocale::c(),
            QLocale(QLocale::English, QLocale::UnitedStates),
            QLocale(QLocale::German, QLocale::Germany),
            QLocale(QLocale::Finnish, QLocale::Finland),
            QLocale(QLocale::Japanese, QLocale::Japan),
            QLocale(QLocale::Arabic, QLocale::Egypt)}; // digits of its own
}

TEST(DateTimePatternTest, FormatsLikeQLocaleForManyPatternsAndLocales)
{
    const QList<DateTimeParts> values = {
        {2024, 2, 29, 0, 5, 9, 7},  {2024, 2, 29, 12, 0, 0, 120}, {1999, 12, 31, 23, 59, 59, 999},
        {1900, 1, 1, 11, 30, 0, 0}, {1, 1, 1, 13, 1, 2, 300},     {2107, 7, 4, 9, 45, 30, 50},
    };
    for (const QLocale& locale : Locales()) {
        QStringList patterns = {locale.dateFormat(QLocale::ShortFormat),
                                locale.dateFormat(QLocale::LongFormat),
                                LocaleShortTimePattern(locale),
                                LocaleLongTimePattern(locale),
                                "dddd, dd MMMM yyyy HH:mm",
                                "ddd d MMM yy h:m:s ap",
                                "hh:mm:ss.zzz AP",
                                "'quoted ''text'' with d and M' d '' M",
                                "yyyyy yyy y ddddd MMMMM hhh x"};
        for (const QString& pattern : patterns) {
            const TDateTimePattern compiled(pattern, locale);
            for (const DateTimeParts& p : values) {
                const QDateTime reference(QDate(p.year, p.month, p.day),
                                          QTime(p.hour, p.minute, p.second, p.msec), Qt::UTC);
                ASSERT_EQ(compiled.format(EncodeDateTime(p)), locale.toString(reference, pattern))
                    << locale.name().toStdString() << " pattern " << pattern.toStdString() << " " << p.year;
            }
        }
    }
}

TEST(DateTimePatternTest, ValuesOutsideTheCalendarGiveNoText)
{
    const TDateTimePattern pattern("yyyy-MM-dd HH:mm", QLocale::c());
    EXPECT_EQ(pattern.format(std::numeric_limits<double>::quiet_NaN()), "");
    EXPECT_EQ(pattern.format(std::numeric_limits<double>::infinity()), "");
    EXPECT_EQ(pattern.format(1e300), "");
    EXPECT_EQ(pattern.format(-1e7), "");
    EXPECT_EQ(pattern.format(Value(9999, 12, 31, 23, 59)), "9999-12-31 23:59");
    EXPECT_EQ(pattern.format(-1.25), "1899-12-29 06:00"); // the time counts backwards before 1899-12-30
}

TEST(DateTimePatternTest, QuotedTakesAnyTextLiterally)
{
    const TDateTimePattern pattern("HH" + TDateTimePattern::quoted("h'm") + "mm", QLocale::c());
    EXPECT_EQ(pattern.format(Value(2020, 1, 1, 7, 8)), "07h'm08");
}

TEST(LocaleFormatsTest, ListSeparatorFollowsTheDecimalSeparator)
{
    EXPECT_EQ(LocaleListSeparator(QLocale(QLocale::German, QLocale::Germany)), u';');
    EXPECT_EQ(LocaleListSeparator(QLocale(QLocale::French, QLocale::France)), u';');
    EXPECT_EQ(LocaleListSeparator(QLocale(QLocale::English, QLocale::UnitedStates)), u',');
    EXPECT_EQ(LocaleListSeparator(QLocale::c()), u',');
}

TEST(LocaleFormatsTest, TimeSeparatorAndPatternsWithoutZone)
{
    EXPECT_EQ(LocaleTimeSeparator(QLocale(QLocale::English, QLocale::UnitedStates)), ":");
    EXPECT_EQ(LocaleTimeSeparator(QLocale(QLocale::Finnish, QLocale::Finland)), ".");
    EXPECT_EQ(LocaleTimeSeparator(QLocale::c()), ":");
    for (const QLocale& locale : Locales()) {
        EXPECT_FALSE(LocaleLongTimePattern(locale).contains(u't')) << locale.name().toStdString();
        EXPECT_TRUE(LocaleLongTimePattern(locale).contains(u's')) << locale.name().toStdString();
    }
}

TEST(ItemDateTextTest, FourFormatsAndNoneForOtherValues)
{
    const QLocale german(QLocale::German, QLocale::Germany);
    const TItemRecord item = MakeItemRecord("x", 0, -1, Value(2024, 2, 5, 14, 30, 15), 0);
    EXPECT_EQ(ItemDateText(item, 0, german), "05.02.24");
    EXPECT_EQ(ItemDateText(item, 1, german), "Montag, 5. Februar 2024");
    EXPECT_EQ(ItemDateText(item, 2, german), "05.02.24 14:30");
    EXPECT_EQ(ItemDateText(item, 3, german), "Montag, 5. Februar 2024 14:30:15");
    EXPECT_EQ(ItemDateText(item, 4, german), "");
    EXPECT_EQ(ItemDateText(item, -1, german), "");
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    EXPECT_EQ(ItemDateText(item, 2, us), "2/5/24 2:30 PM");
    EXPECT_EQ(ItemDateText(item, 3, us), "Monday, February 5, 2024 2:30:15 PM");
}

} // namespace
