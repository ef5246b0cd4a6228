#include "app/ResultsFilter.h"

#include "app/ResultsModel.h"
#include "support/GuiTestApplication.h"
#include "support/QStringPrinter.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

TItemRecord Record(const QString& fileName)
{
    return MakeItemRecord(fileName, 0x20, -1, 45000.5, 10);
}

QStringList Shown(const TResultsModel& model)
{
    QStringList names;
    for (int row = 0; row < model.rowCount(); ++row)
        names.append(model.shownRecord(row).FileName);
    return names;
}

TEST(ResultsFilterTest, PlainTextIsASubstringOfNameOrLocationInAnyCase)
{
    const TResultsFilter filter(QStringLiteral("RePort"));
    EXPECT_TRUE(filter.active());
    EXPECT_FALSE(filter.isMask());
    EXPECT_TRUE(filter.matches(Record("\\\\PC\\docs\\annual-report.pdf")));
    EXPECT_TRUE(filter.matches(Record("\\\\PC\\Reports\\a.txt")));
    EXPECT_FALSE(filter.matches(Record("\\\\PC\\docs\\summary.pdf")));
    // Across the separator between location and name is neither of them.
    EXPECT_FALSE(TResultsFilter(QStringLiteral("docs\\sum")).matches(Record("\\\\PC\\docs\\summary.pdf")));
    EXPECT_TRUE(TResultsFilter(QStringLiteral("pc\\docs")).matches(Record("\\\\PC\\docs\\summary.pdf")));
    // Letters beyond ASCII fold too.
    EXPECT_TRUE(TResultsFilter(QStringLiteral("ÜBER")).matches(Record("\\\\PC\\s\\über.txt")));
    EXPECT_TRUE(TResultsFilter().matches(Record("\\\\PC\\s\\x")));
}

TEST(ResultsFilterTest, WildcardsMakeANameMask)
{
    const TResultsFilter pdf(QStringLiteral("*.PDF"));
    EXPECT_TRUE(pdf.isMask());
    EXPECT_TRUE(pdf.matches(Record("\\\\PC\\docs\\a.pdf")));
    EXPECT_FALSE(pdf.matches(Record("\\\\PC\\docs.pdf\\a.txt"))); // the location is not the name
    EXPECT_TRUE(TResultsFilter(QStringLiteral("a?c.txt")).matches(Record("\\\\PC\\s\\abc.txt")));
    EXPECT_FALSE(TResultsFilter(QStringLiteral("a?c.txt")).matches(Record("\\\\PC\\s\\abbc.txt")));
    // FTP hits: the name after the last slash.
    EXPECT_TRUE(pdf.matches(Record("ftp://host/pub/b.pdf")));
    // An unfinished set is no mask yet: it filters as text.
    const TResultsFilter unfinished(QStringLiteral("*[a"));
    EXPECT_FALSE(unfinished.isMask());
    EXPECT_TRUE(unfinished.matches(Record("\\\\PC\\s\\x*[a.txt")));
}

TEST(ResultsFilterTest, OnlyALongerTextNarrowsThePreviousOne)
{
    const TResultsFilter rep(QStringLiteral("rep"));
    EXPECT_TRUE(TResultsFilter(QStringLiteral("report")).narrows(rep));
    EXPECT_TRUE(TResultsFilter(QStringLiteral("Xrep")).narrows(rep));
    EXPECT_FALSE(TResultsFilter(QStringLiteral("re")).narrows(rep));
    EXPECT_FALSE(TResultsFilter(QStringLiteral("rep*")).narrows(rep));
    EXPECT_TRUE(rep.narrows(TResultsFilter()));
}

TEST(ResultsFilterTest, SelectingOnTwoThreadsKeepsTheListOrder)
{
    TItemList items;
    for (int i = 0; i < 300000; ++i)
        items.append(Record(QStringLiteral("\\\\PC\\s\\file%1.%2").arg(i).arg(i % 3 == 0 ? "pdf" : "txt")));
    const std::vector<int> shown = TResultsFilter(QStringLiteral("*.pdf")).select(items);
    ASSERT_EQ(shown.size(), 100000u);
    for (size_t i = 0; i < shown.size(); ++i)
        ASSERT_EQ(shown[i], static_cast<int>(i * 3));
    // Within the shown rows: the PDFs whose name holds "file29", the first being file291.
    const std::vector<int> within = TResultsFilter(QStringLiteral("file29")).select(items, &shown);
    std::vector<int> expected;
    for (const int row : shown) {
        if (items.at(row).FileName.contains(QStringLiteral("file29")))
            expected.push_back(row);
    }
    EXPECT_EQ(within, expected);
    ASSERT_FALSE(within.empty());
    EXPECT_EQ(within.front(), 291);
}

class ResultsModelFilterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureGuiApplication();
        model.appendHits({Record("\\\\PC\\s\\alpha.txt"), Record("\\\\PC\\s\\beta.pdf"),
                          Record("\\\\PC\\s\\gamma.txt"), Record("\\\\PC\\s\\delta.pdf")});
    }
    TResultsModel model;
};

TEST_F(ResultsModelFilterTest, TheViewShowsWhatPassesAndMapsRowsToItems)
{
    QSignalSpy counts(&model, &TResultsModel::countsChanged);
    model.setFilter(QStringLiteral("*.pdf"));
    EXPECT_TRUE(model.isFiltered());
    EXPECT_EQ(Shown(model), QStringList({"\\\\PC\\s\\beta.pdf", "\\\\PC\\s\\delta.pdf"}));
    EXPECT_EQ(model.itemRow(0), 1);
    EXPECT_EQ(model.itemRow(1), 3);
    EXPECT_EQ(model.itemRow(2), -1);
    EXPECT_EQ(model.viewRow(3), 1);
    EXPECT_EQ(model.viewRow(2), -1);
    EXPECT_EQ(model.index(1, TResultsModel::FileNameColumn).data().toString(), "delta.pdf");
    EXPECT_EQ(model.shownItems().size(), 2);
    EXPECT_EQ(model.items().size(), 4);
    EXPECT_EQ(counts.count(), 1);

    model.setFilter(QString());
    EXPECT_FALSE(model.isFiltered());
    EXPECT_EQ(model.rowCount(), 4);
    EXPECT_EQ(model.itemRow(2), 2);
}

TEST_F(ResultsModelFilterTest, ArrivingHitsAreTestedAsTheyCome)
{
    model.setFilter(QStringLiteral("a.t"));
    EXPECT_EQ(Shown(model), QStringList({"\\\\PC\\s\\alpha.txt", "\\\\PC\\s\\gamma.txt"}));
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    model.appendHit(Record("\\\\PC\\s\\omega.pdf"));
    model.appendHit(Record("\\\\PC\\s\\zeta.txt"));
    model.flushRowCount();
    EXPECT_EQ(model.items().size(), 6);
    EXPECT_EQ(Shown(model).last(), "\\\\PC\\s\\zeta.txt");
    ASSERT_EQ(inserted.count(), 1);
    EXPECT_EQ(inserted[0][1].toInt(), 2); // one new row at the end
    EXPECT_EQ(inserted[0][2].toInt(), 2);
    model.appendHits({Record("\\\\PC\\s\\x.pdf")}); // nothing passes: no row insertion
    EXPECT_EQ(inserted.count(), 1);
    EXPECT_EQ(model.items().size(), 7);
}

TEST_F(ResultsModelFilterTest, RemovingAndRenamingSpeakItemIndices)
{
    model.setFilter(QStringLiteral("*.pdf"));
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    model.removeItems({0, 1}); // alpha is hidden, beta is row 0
    EXPECT_EQ(Shown(model), QStringList({"\\\\PC\\s\\delta.pdf"}));
    ASSERT_EQ(removed.count(), 1);
    EXPECT_EQ(removed[0][1].toInt(), 0);
    EXPECT_EQ(model.itemRow(0), 1); // delta moved up in the list
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    model.updateItem(1, Record("\\\\PC\\s\\delta2.pdf"));
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed[0][0].value<QModelIndex>().row(), 0);
    model.updateItem(0, Record("\\\\PC\\s\\gamma2.txt")); // hidden: no row changes
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(model.items().at(0).FileName, "\\\\PC\\s\\gamma2.txt");
}

TEST_F(ResultsModelFilterTest, SortingAndNewListsKeepTheFilter)
{
    model.setFilter(QStringLiteral("a.pdf"));
    model.sortItems(-1); // by name, descending
    EXPECT_EQ(Shown(model), QStringList({"\\\\PC\\s\\delta.pdf", "\\\\PC\\s\\beta.pdf"}));
    model.replaceItems({Record("\\\\Q\\s\\zeta.pdf"), Record("\\\\Q\\s\\eta.txt")});
    EXPECT_EQ(Shown(model), QStringList({"\\\\Q\\s\\zeta.pdf"}));
    model.clearItems();
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_TRUE(model.isFiltered());
}

TEST_F(ResultsModelFilterTest, ALongerTextFiltersTheShownRowsOnly)
{
    model.setFilter(QStringLiteral("ta"));
    EXPECT_EQ(Shown(model), QStringList({"\\\\PC\\s\\beta.pdf", "\\\\PC\\s\\delta.pdf"}));
    model.setFilter(QStringLiteral("lta"));
    EXPECT_EQ(Shown(model), QStringList({"\\\\PC\\s\\delta.pdf"}));
    model.setFilter(QStringLiteral("l"));
    EXPECT_EQ(Shown(model), QStringList({"\\\\PC\\s\\alpha.txt", "\\\\PC\\s\\delta.pdf"}));
}

} // namespace
