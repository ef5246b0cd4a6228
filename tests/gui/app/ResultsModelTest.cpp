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
    // Before the model is made: its date texts take the locale of their making.
    struct EnglishLocale {
        EnglishLocale()
        {
            EnsureGuiApplication();
            QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        }
        ~EnglishLocale() { QLocale::setDefault(QLocale::system()); }
    } locale;
    TResultsModel model;
};

QStringList Names(const TResultsModel& model)
{
    QStringList names;
    for (const TItemRecord& record : model.items())
        names.append(ExtractFileName(record.FileName));
    return names;
}

// The model's rows, as the signals it sent have told a view, checked against its list.
class RowMirror {
public:
    explicit RowMirror(TResultsModel& model) : m_model(model)
    {
        m_names = Names(model);
        QObject::connect(&model, &QAbstractItemModel::rowsInserted,
                         [this](const QModelIndex&, int first, int last) {
                             for (int row = first; row <= last; ++row)
                                 m_names.insert(row, ExtractFileName(m_model.items().at(row).FileName));
                         });
        QObject::connect(
            &model, &QAbstractItemModel::rowsRemoved,
            [this](const QModelIndex&, int first, int last) { m_names.remove(first, last - first + 1); });
        QObject::connect(&model, &QAbstractItemModel::modelReset, [this] { m_names = Names(m_model); });
    }
    const QStringList& names() const { return m_names; }

private:
    TResultsModel& m_model;
    QStringList m_names;
};

TEST_F(ResultsModelTest, SingleHitsReachTheListAndTheViewInOneBatch)
{
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    for (int i = 0; i < 1000; ++i)
        model.appendHit(Record(QStringLiteral("\\\\H\\s\\f%1.txt").arg(i)));
    EXPECT_TRUE(model.items().isEmpty());
    EXPECT_TRUE(model.hasItems());
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_TRUE(inserted.wait(1000));
    EXPECT_EQ(model.rowCount(), 1000);
    EXPECT_EQ(model.items().size(), 1000);
    EXPECT_EQ(inserted.count(), 1);
    EXPECT_EQ(model.index(999, 0).data().toString(), "f999.txt");
}

TEST_F(ResultsModelTest, ABatchIsOneInsertionAfterTheQueuedHits)
{
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    model.appendHit(Record("\\\\H\\s\\queued"));
    model.appendHits({Record("\\\\H\\s\\b1"), Record("\\\\H\\s\\b2")});
    ASSERT_EQ(inserted.count(), 1);
    EXPECT_EQ(inserted[0][1].toInt(), 0);
    EXPECT_EQ(inserted[0][2].toInt(), 2);
    EXPECT_EQ(Names(model), QStringList({"queued", "b1", "b2"}));

    model.appendHits({});
    model.flushRowCount();
    EXPECT_EQ(inserted.count(), 1); // nothing new, no signal
    model.appendHits({Record("\\\\H\\s\\b3")});
    ASSERT_EQ(inserted.count(), 2);
    EXPECT_EQ(inserted[1][1].toInt(), 3);
    QTest::qWait(2 * TResultsModel::kRowCountInterval); // the queue's timer had nothing left
    EXPECT_EQ(inserted.count(), 2);
    EXPECT_EQ(model.rowCount(), 4);
}

TEST_F(ResultsModelTest, RemovingRowsTellsTheViewRunByRun)
{
    model.appendHits({Record("\\\\H\\s\\a"), Record("\\\\H\\s\\b"), Record("\\\\H\\s\\c"),
                      Record("\\\\H\\s\\d"), Record("\\\\H\\s\\e"), Record("\\\\H\\s\\f")});
    RowMirror view(model);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);

    model.removeItems({4, 0, 1, 3, 3, -1, 6});

    EXPECT_EQ(Names(model), QStringList({"c", "f"}));
    EXPECT_EQ(view.names(), Names(model));
    EXPECT_EQ(removed.count(), 2); // rows 3-4, then 0-1
    EXPECT_EQ(reset.count(), 0);
    EXPECT_EQ(model.index(1, 0).data().toString(), "f");

    model.removeItems({});
    model.removeItems({5});
    EXPECT_EQ(removed.count(), 2);
}

TEST_F(ResultsModelTest, UpdateReplaceAndClearKeepTheViewInStep)
{
    model.appendHits({Record("\\\\H\\s\\a"), Record("\\\\H\\s\\b")});
    RowMirror view(model);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);

    model.updateItem(1, Record("\\\\H\\s\\renamed"));
    model.updateItem(2, Record("\\\\H\\s\\past the end"));
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed[0][0].value<QModelIndex>().row(), 1);
    EXPECT_EQ(model.index(1, 0).data().toString(), "renamed");

    model.appendHit(Record("\\\\H\\s\\queued"));
    model.replaceItems({Record("\\\\H\\s\\loaded")});
    EXPECT_FALSE(
        QTest::qWaitFor([&] { return model.rowCount() != 1; }, 2 * TResultsModel::kRowCountInterval));
    EXPECT_EQ(Names(model), QStringList{"loaded"}); // the queued hit went with the old list
    EXPECT_EQ(view.names(), Names(model));

    model.appendHit(Record("\\\\H\\s\\queued"));
    model.clearItems();
    EXPECT_FALSE(model.hasItems());
    EXPECT_EQ(model.rowCount(), 0);
    model.appendHit(Record("\\\\H\\s\\b"));
    model.flushRowCount();
    EXPECT_EQ(view.names(), QStringList{"b"});
}

TEST_F(ResultsModelTest, SortingTakesTheQueuedHitsAlong)
{
    model.appendHits({Record("\\\\H\\s\\b", 2)});
    model.appendHit(Record("\\\\H\\s\\a", 1));
    model.sortItems(3); // size, ascending
    EXPECT_EQ(Names(model), QStringList({"a", "b"}));
    EXPECT_EQ(model.rowCount(), 2);
}

TEST_F(ResultsModelTest, ColumnTextsFollowTheDisplayFormat)
{
    model.replaceItems({Record("\\\\PC1\\docs\\plan.doc", 10240, kAttrArchive | kAttrReadOnly)});
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
    model.replaceItems({Record("\\\\H\\s\\a.txt", 1, 0, 1), Record("\\\\H\\s\\b.txt", 1, 0, 5),
                        Record("\\\\H\\s\\c", 1, 0, -1)});
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
