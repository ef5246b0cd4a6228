#include "model/DelimitedText.h"

#include "model/ThreadConfig.h"

#include <gtest/gtest.h>

namespace {

TEST(DelimitedTextTest, QuotesItemsThatNeedIt)
{
    EXPECT_EQ(JoinCommaText({"a", "b c", "d,e", "say \"x\"", "tab\there"}),
              "a,\"b c\",\"d,e\",\"say \"\"x\"\"\",\"tab\there\"");
    EXPECT_EQ(JoinCommaText({}), "");
    EXPECT_EQ(JoinCommaText({""}), "\"\"");
    EXPECT_EQ(JoinCommaText({"a", "", "b"}), "a,,b");
    EXPECT_EQ(JoinDelimitedText({"*.doc, *.xls", "a~b"}, u',', u'~'), "~*.doc, *.xls~,~a~~b~");
}

TEST(DelimitedTextTest, SplitsBackIntoTheSameItems)
{
    const QStringList lists[] = {
        {"\\\\PC1", "\\\\PC 2", "x,y", "q\"q"},
        {""},
        {"a", "", "b"},
        {"192.168.1.1 - 192.168.1.10"},
    };
    for (const auto& items : lists)
        EXPECT_EQ(SplitCommaText(JoinCommaText(items)), items) << JoinCommaText(items).toStdString();
}

TEST(DelimitedTextTest, BlanksSeparateUnquotedItems)
{
    EXPECT_EQ(SplitCommaText("foo bar"), QStringList({"foo", "bar"}));
    EXPECT_EQ(SplitCommaText("  foo ,  bar  "), QStringList({"foo", "bar"}));
    EXPECT_EQ(SplitCommaText("\"foo bar\""), QStringList({"foo bar"}));
}

TEST(DelimitedTextTest, EmptyItemsFromCommas)
{
    EXPECT_EQ(SplitCommaText("a,,b"), QStringList({"a", "", "b"}));
    EXPECT_EQ(SplitCommaText("a,"), QStringList({"a", ""}));
    // Only a comma that is the very last character adds an empty item.
    EXPECT_EQ(SplitCommaText("a, "), QStringList({"a"}));
    EXPECT_EQ(SplitCommaText(""), QStringList());
    EXPECT_EQ(SplitCommaText(","), QStringList({"", ""}));
}

TEST(DelimitedTextTest, UnclosedQuoteRunsToTheEnd)
{
    EXPECT_EQ(SplitCommaText("\"abc, def"), QStringList({"abc, def"}));
    EXPECT_EQ(SplitDelimitedText("~a~~b~,c", u',', u'~'), QStringList({"a~b", "c"}));
    EXPECT_EQ(SplitCommaText("\"ab\"cd"), QStringList({"ab", "cd"}));
}

TEST(DelimitedTextTest, ATabDelimiterKeepsEmptyItems)
{
    EXPECT_EQ(SplitDelimitedText("a\t\tc", u'\t', u'"'), QStringList({"a", "", "c"}));
    EXPECT_EQ(SplitDelimitedText("\tb\t", u'\t', u'"'), QStringList({"", "b", ""}));
    // Other blanks are still skipped around the items.
    EXPECT_EQ(SplitDelimitedText(" a \t \"b c\"\t", u'\t', u'"'), QStringList({"a", "b c", ""}));
}

TEST(SizeUnitsTest, StoredValueTimesUnit)
{
    EXPECT_EQ(SizeInBytes(3, TSizeUnit::Megabytes), 3 * 1048576LL);
    EXPECT_EQ(SizeInBytes(3, TSizeUnit::Kilobytes), 3072);
    EXPECT_EQ(SizeInBytes(3, TSizeUnit::Bytes), 3);
    EXPECT_EQ(SizeInBytes(3, TSizeUnit::Unknown), 0);
    EXPECT_EQ(SizeInBytes(4096, TSizeUnit::Megabytes), 4294967296LL); // survives in 64 bits
    EXPECT_EQ(SizeInBytes(-1, TSizeUnit::Bytes), 4294967295LL);       // taken as unsigned
}

} // namespace
