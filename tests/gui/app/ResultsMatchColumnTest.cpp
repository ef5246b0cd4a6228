#include "app/ResultsModel.h"
#include "app/ResultsView.h"
#include "support/GuiTestApplication.h"
#include "support/QStringPrinter.h"

#include <gtest/gtest.h>
#include <memory>

// The results column that says why a hit passed the content test.
namespace {

class ResultsMatchColumnTest : public ::testing::Test {
protected:
    ResultsMatchColumnTest() { EnsureGuiApplication(); }

    static TItemRecord Hit(const QString& name, std::shared_ptr<const TContentMatch> match)
    {
        TItemRecord record = MakeItemRecord(name, 0x20, -1, 45357.75, 10);
        record.Match = std::move(match);
        return record;
    }

    TResultsModel model;
};

TEST_F(ResultsMatchColumnTest, ShowsTermAndExcerptOrNothing)
{
    model.appendHits({Hit(QStringLiteral("\\\\H\\s\\a.docx"),
                          std::make_shared<const TContentMatch>(TContentMatch{
                              QStringLiteral("budget"), QStringLiteral("the budget for 2025")})),
                      Hit(QStringLiteral("\\\\H\\s\\b.bin"), nullptr),
                      Hit(QStringLiteral("\\\\H\\s\\c.txt"), std::make_shared<const TContentMatch>())});
    EXPECT_EQ(model.headerData(TResultsModel::MatchColumn, Qt::Horizontal, Qt::DisplayRole).toString(),
              "Match");
    EXPECT_EQ(model.data(model.index(0, TResultsModel::MatchColumn), Qt::DisplayRole).toString(),
              "budget: the budget for 2025");
    EXPECT_EQ(model.data(model.index(1, TResultsModel::MatchColumn), Qt::DisplayRole).toString(), "");
    // A hit under "none of the terms" has a match without a term: nothing to show.
    EXPECT_EQ(model.data(model.index(2, TResultsModel::MatchColumn), Qt::DisplayRole).toString(), "");
    // The other columns are where they were.
    EXPECT_EQ(model.data(model.index(0, TResultsModel::AttributesColumn), Qt::DisplayRole).toString(), "A");
}

TEST_F(ResultsMatchColumnTest, HiddenUntilDocumentsAreSearched)
{
    TResultsView view(model);
    view.resize(800, 300);
    view.layoutColumns();
    EXPECT_TRUE(view.isColumnHidden(TResultsModel::MatchColumn));
    view.setMatchColumnShown(true);
    EXPECT_FALSE(view.isColumnHidden(TResultsModel::MatchColumn));
    // All shown columns fit the view.
    int total = 0;
    for (int column = 0; column < TResultsModel::ColumnCount; ++column)
        total += view.isColumnHidden(column) ? 0 : view.columnWidth(column);
    EXPECT_LE(total, view.viewport()->width());
    EXPECT_GE(view.columnWidth(TResultsModel::MatchColumn), view.viewport()->width() / 3);
    view.setMatchColumnShown(false);
    EXPECT_TRUE(view.isColumnHidden(TResultsModel::MatchColumn));
}

} // namespace
