#include "app/ResultSorting.h"

#include "support/QStringPrinter.h"

#include <QLocale>
#include <gtest/gtest.h>

namespace {

constexpr double kMs = 1.0 / 86400000.0;

TItemRecord Record(const QString& name, int64_t size = 0, double date = 45000.0, int32_t attrs = 0)
{
    return MakeItemRecord(name, attrs, -1, date, size);
}

QStringList Names(const TItemList& items)
{
    QStringList names;
    for (const TItemRecord& item : items)
        names.append(item.FileName);
    return names;
}

class ResultSortingTest : public ::testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }
};

TEST_F(ResultSortingTest, ClicksAlternateOnOneColumnAndAnotherColumnStartsAscending)
{
    int tag = 0;
    tag = NextSortTag(tag, 2);
    EXPECT_EQ(tag, 3);
    tag = NextSortTag(tag, 2);
    EXPECT_EQ(tag, -3);
    tag = NextSortTag(tag, 2);
    EXPECT_EQ(tag, 3);
    tag = NextSortTag(tag, 0);
    EXPECT_EQ(tag, 1);
    EXPECT_EQ(NextSortTag(-1, 4), 5);
}

TEST_F(ResultSortingTest, FoldersComeBeforeEmptyFilesBySizeAscendingAndLastDescending)
{
    TItemList items{Record("\\\\H\\s\\big", 100), Record("\\\\H\\s\\empty", 0),
                    Record("\\\\H\\s\\dir", 4096, 45000.0, kAttrDirectory)};
    SortItems(items, 3, 1);
    EXPECT_EQ(Names(items), QStringList({"\\\\H\\s\\dir", "\\\\H\\s\\empty", "\\\\H\\s\\big"}));
    SortItems(items, -3, 1);
    EXPECT_EQ(Names(items), QStringList({"\\\\H\\s\\big", "\\\\H\\s\\empty", "\\\\H\\s\\dir"}));
}

TEST_F(ResultSortingTest, NamesCompareWithoutLetterCaseByTheLocaleCollation)
{
    TItemList items{Record("\\\\H\\s\\beta.txt"), Record("\\\\A\\s\\Alpha.txt"),
                    Record("\\\\Z\\s\\alpha2.txt"), Record("\\\\H\\s\\ábc.txt")};
    SortItems(items, 1, 1);
    EXPECT_EQ(Names(items), QStringList({"\\\\H\\s\\ábc.txt", "\\\\A\\s\\Alpha.txt", "\\\\Z\\s\\alpha2.txt",
                                         "\\\\H\\s\\beta.txt"}));
    EXPECT_EQ(CompareItems(Record("\\\\H\\s\\ABC"), Record("\\\\H\\s\\abc"), 1, 1), 0);
    EXPECT_GT(CompareItems(Record("\\\\H\\s\\b"), Record("\\\\H\\s\\a"), 1, 1), 0);
    EXPECT_LT(CompareItems(Record("\\\\H\\s\\b"), Record("\\\\H\\s\\a"), -1, 1), 0);
}

TEST_F(ResultSortingTest, FullNameFormatGroupsFilesByComputerAndShare)
{
    TItemList items{Record("\\\\PC2\\s\\a.txt"), Record("\\\\PC1\\s\\z.txt"), Record("\\\\PC1\\s\\b.txt")};
    SortItems(items, 1, 0);
    EXPECT_EQ(Names(items), QStringList({"\\\\PC1\\s\\b.txt", "\\\\PC1\\s\\z.txt", "\\\\PC2\\s\\a.txt"}));
    SortItems(items, 1, 1); // by the bare name
    EXPECT_EQ(Names(items), QStringList({"\\\\PC2\\s\\a.txt", "\\\\PC1\\s\\b.txt", "\\\\PC1\\s\\z.txt"}));
}

TEST_F(ResultSortingTest, TimesLessThanAMillisecondApartAreEqual)
{
    const double base = 45123.5;
    EXPECT_EQ(CompareItems(Record("a", 0, base), Record("b", 0, base + 0.5 * kMs), 4, 1), 0);
    EXPECT_LT(CompareItems(Record("a", 0, base), Record("b", 0, base + 2 * kMs), 4, 1), 0);
    EXPECT_GT(CompareItems(Record("a", 0, base), Record("b", 0, base + 2 * kMs), -4, 1), 0);

    // Equal rows keep their order, also when the rule is not transitive.
    TItemList items;
    for (int i = 0; i < 200; ++i)
        items.append(Record(QString::number(i), 0, base + (i % 7) * 0.4 * kMs));
    items.append(Record("early", 0, base - 1.0));
    SortItems(items, 4, 1);
    EXPECT_EQ(items.first().FileName, "early");
    EXPECT_EQ(items.size(), 201);
}

TEST_F(ResultSortingTest, LocationAndAttributesSortAsText)
{
    TItemList items{Record("\\\\H\\b\\x", 0, 1, kAttrArchive | kAttrHidden),
                    Record("\\\\H\\a\\x", 0, 1, kAttrReadOnly), Record("\\\\H\\C\\x")};
    SortItems(items, 2, 1);
    EXPECT_EQ(Names(items), QStringList({"\\\\H\\a\\x", "\\\\H\\b\\x", "\\\\H\\C\\x"}));
    SortItems(items, 5, 1); // "", "AH", "R"
    EXPECT_EQ(Names(items), QStringList({"\\\\H\\C\\x", "\\\\H\\b\\x", "\\\\H\\a\\x"}));
}

TEST_F(ResultSortingTest, AnUnknownColumnLeavesTheOrder)
{
    TItemList items{Record("b"), Record("a")};
    SortItems(items, 9, 1);
    EXPECT_EQ(Names(items), QStringList({"b", "a"}));
    EXPECT_EQ(CompareItems(Record("b"), Record("a"), 0, 1), 0);
}

} // namespace
