#include "app/ResultsModel.h"

#include "support/GuiTestApplication.h"
#include "support/QStringPrinter.h"

#include <QLocale>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

TItemRecord Record(const QString& name, int64_t size = 0, int32_t attrs = 0, int32_t image = -1)
{
    return MakeItemRecord(name, attrs, image, 45357.75, size); // 2024-03-06 18:00
}

class ResultsModelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureGuiApplication();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }

    TItemList items;
};

TEST_F(ResultsModelTest, HitsReachTheListAtOnceAndTheViewInOneBatch)
{
    TResultsModel model(items);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    for (int i = 0; i < 1000; ++i)
        model.appendHit(Record(QStringLiteral("\\\\H\\s\\f%1.txt").arg(i)));
    EXPECT_EQ(items.size(), 1000);
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_TRUE(inserted.wait(1000));
    EXPECT_EQ(model.rowCount(), 1000);
    EXPECT_EQ(inserted.count(), 1);
    EXPECT_EQ(model.index(999, 0).data().toString(), "f999.txt");
}

TEST_F(ResultsModelTest, FlushAndResetFollowTheList)
{
    TResultsModel model(items);
    model.appendHit(Record("\\\\H\\s\\a"));
    model.flushRowCount();
    EXPECT_EQ(model.rowCount(), 1);
    items.clear();
    model.resetFromList();
    EXPECT_EQ(model.rowCount(), 0);
    model.appendHit(Record("\\\\H\\s\\b"));
    model.flushRowCount();
    EXPECT_EQ(model.rowCount(), 1);
    EXPECT_EQ(model.index(0, 0).data().toString(), "b");
}

TEST_F(ResultsModelTest, ColumnTextsFollowTheDisplayFormat)
{
    items = {Record("\\\\PC1\\docs\\plan.doc", 10240, kAttrArchive | kAttrReadOnly)};
    TResultsModel model(items);
    EXPECT_EQ(model.index(0, TResultsModel::FileNameColumn).data().toString(), "plan.doc");
    EXPECT_EQ(model.index(0, TResultsModel::LocationColumn).data().toString(), "\\\\PC1\\docs");
    EXPECT_EQ(model.index(0, TResultsModel::SizeColumn).data().toString(), "10.0 KB");
    EXPECT_EQ(model.index(0, TResultsModel::AttributesColumn).data().toString(), "AR");
    EXPECT_EQ(model.index(0, TResultsModel::DateColumn).data().toString(), "3/6/24");

    model.setDisplayFormats(0, 2);
    EXPECT_EQ(model.index(0, TResultsModel::FileNameColumn).data().toString(), "\\\\PC1\\docs\\plan.doc");
    const QString dateAndTime = model.index(0, TResultsModel::DateColumn).data().toString();
    EXPECT_TRUE(dateAndTime.startsWith("3/6/24 6:00")) << dateAndTime.toStdString();
    model.setDisplayFormats(2, 7);
    EXPECT_EQ(model.index(0, TResultsModel::FileNameColumn).data().toString(), "plan.doc");
    EXPECT_EQ(model.index(0, TResultsModel::DateColumn).data().toString(), "");
}

TEST_F(ResultsModelTest, HeadersAndIconsFromTheAttachedList)
{
    items = {Record("\\\\H\\s\\a.txt", 1, 0, 1), Record("\\\\H\\s\\b.txt", 1, 0, 5),
             Record("\\\\H\\s\\c", 1, 0, -1)};
    TResultsModel model(items);
    EXPECT_EQ(model.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), "File name");
    EXPECT_EQ(model.headerData(3, Qt::Horizontal, Qt::DisplayRole).toString(), "Date & Time");
    EXPECT_FALSE(model.index(0, 0).data(Qt::DecorationRole).isValid());

    QPixmap red(16, 16), blue(16, 16);
    red.fill(Qt::red);
    blue.fill(Qt::blue);
    const QList<QIcon> icons{QIcon(red), QIcon(blue)};
    model.setImageList(&icons);
    EXPECT_TRUE(model.index(0, 0).data(Qt::DecorationRole).isValid());
    EXPECT_FALSE(model.index(1, 0).data(Qt::DecorationRole).isValid()); // index past the list
    EXPECT_FALSE(model.index(2, 0).data(Qt::DecorationRole).isValid());
    EXPECT_FALSE(model.index(0, 1).data(Qt::DecorationRole).isValid());
}

} // namespace
