#include "dialogs/LogEngineForm.h"
#include "dialogs/LogExport.h"
#include "support/GuiTestApplication.h"
#include "support/QStringPrinter.h"
#include "support/RecordingMessageBoxes.h"
#include "support/TempDir.h"
#include "widgets/FileDialogs.h"

#include <QAction>
#include <QFile>
#include <QHeaderView>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

namespace {

QStringList Rows(const TLogCopyModel& model)
{
    QStringList rows;
    for (int row = 0; row < model.rowCount(); ++row)
        rows.append(model.data(model.index(row), Qt::DisplayRole).toString());
    return rows;
}

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

class LogEngineFormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureGuiApplication();
        log.AddEntry(lkInfo, QStringLiteral("Search started in mode 'Entire network' with root ''."));
        log.AddEntry(lkComputer, QStringLiteral("Computer \\\\ALPHA enqueued."));
        log.AddEntry(lkError, QStringLiteral("IP Range is invalid (10.0.0.x)"));
        markSeen();
    }

    // As if the view had looked at the log already: no flag set.
    void markSeen()
    {
        LockGuard guard(log);
        log.Changed = false;
        log.Rebuild = false;
    }

    TEngineSearchLog log;
    RecordingMessageBoxes boxes;
};

TEST_F(LogEngineFormTest, ShowingTheWindowCopiesTheWholeLogWithAnIconPerKind)
{
    TLogEngineForm form(log);
    EXPECT_EQ(form.model().rowCount(), 0);

    form.show();

    EXPECT_EQ(form.windowTitle(), QStringLiteral("Search Log"));
    EXPECT_EQ(form.size(), QSize(404, 303));
    EXPECT_EQ(form.model().headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("Event"));
    EXPECT_EQ(form.listView()->header()->sectionSize(0), 370);
    EXPECT_EQ(form.timer().interval(), 1000);
    EXPECT_EQ(Rows(form.model()), QStringList({QStringLiteral("Search started in mode 'Entire network' with root ''."),
                                               QStringLiteral("Computer \\\\ALPHA enqueued."),
                                               QStringLiteral("IP Range is invalid (10.0.0.x)")}));
    const auto image = [](const QIcon& icon) { return icon.pixmap(16, 16).toImage(); };
    const auto rowImage = [&](int row) {
        return image(form.model().data(form.model().index(row), Qt::DecorationRole).value<QIcon>());
    };
    EXPECT_EQ(rowImage(0), image(TLogCopyModel::KindIcon(lkInfo)));
    EXPECT_EQ(rowImage(1), image(TLogCopyModel::KindIcon(lkComputer)));
    EXPECT_EQ(rowImage(2), image(TLogCopyModel::KindIcon(lkError)));
    for (int kind = lkInfo; kind <= lkError; ++kind) {
        EXPECT_FALSE(TLogCopyModel::KindIcon(kind).isNull());
        for (int other = kind + 1; other <= lkError; ++other)
            EXPECT_NE(image(TLogCopyModel::KindIcon(kind)), image(TLogCopyModel::KindIcon(other)));
    }
    LockGuard guard(log);
    EXPECT_FALSE(log.Changed);
    EXPECT_FALSE(log.Rebuild);
}

TEST_F(LogEngineFormTest, ATickCopiesOnlyTheEntriesAddedSinceTheLastOne)
{
    TLogEngineForm form(log);
    form.show();
    {
        // Changed behind the view's back: a copied entry is not copied again.
        LockGuard guard(log);
        log[0].Text = QStringLiteral("rewritten");
    }
    log.AddEntry(lkComputer, QStringLiteral("Searching \\\\ALPHA..."));
    log.AddEntry(lkComputer, QStringLiteral("No folders found on \\\\ALPHA"));

    EXPECT_TRUE(form.model().synchronize());

    const QStringList rows = Rows(form.model());
    ASSERT_EQ(rows.size(), 5);
    EXPECT_EQ(rows[0], QStringLiteral("Search started in mode 'Entire network' with root ''."));
    EXPECT_EQ(rows[3], QStringLiteral("Searching \\\\ALPHA..."));
    EXPECT_EQ(rows[4], QStringLiteral("No folders found on \\\\ALPHA"));

    // Rebuild (the window shown again) copies everything afresh.
    form.model().rebuild();
    EXPECT_EQ(Rows(form.model()).first(), QStringLiteral("rewritten"));
}

TEST_F(LogEngineFormTest, WithoutAFlagATickDoesNothing)
{
    TLogEngineForm form(log);
    form.show();
    {
        LockGuard guard(log);
        log.Add({lkInfo, QStringLiteral("added without the flag")});
    }

    EXPECT_FALSE(form.model().synchronize());
    EXPECT_EQ(form.model().rowCount(), 3);
}

TEST_F(LogEngineFormTest, ANewSearchEmptiesTheListAndShowsItsOwnLines)
{
    TLogEngineForm form(log);
    form.show();

    log.ClearEntries();
    log.AddEntry(lkInfo, QStringLiteral("Search started in mode 'IP range' with root ''."));
    form.model().synchronize();
    EXPECT_EQ(Rows(form.model()), QStringList{QStringLiteral("Search started in mode 'IP range' with root ''.")});

    // A log shorter than the copy is copied afresh even without Rebuild.
    log.AddEntry(lkInfo, QStringLiteral("Finishing search..."));
    form.model().synchronize();
    ASSERT_EQ(form.model().rowCount(), 2);
    {
        LockGuard guard(log);
        log.Clear();
        log.Add({lkScope, QStringLiteral("Opening Microsoft Windows Network...")});
        log.Changed = true;
    }
    form.model().synchronize();
    EXPECT_EQ(Rows(form.model()), QStringList{QStringLiteral("Opening Microsoft Windows Network...")});
}

TEST_F(LogEngineFormTest, TheTimerKeepsTheListCurrent)
{
    TLogEngineForm form(log);
    form.show();
    form.timer().setInterval(10);

    log.AddEntry(lkInfo, QStringLiteral("Finishing search..."));

    EXPECT_TRUE(QTest::qWaitFor([&] { return form.model().rowCount() == 4; }, 2000));
}

TEST_F(LogEngineFormTest, SavingWritesTheShownLinesInWindows1252WithCrLf)
{
    TempDir dir;
    const QString path = dir.file(QStringLiteral("log.txt"));
    log.AddEntry(lkComputer, QStringLiteral("Logged to \\\\CAF\u00c9 as J\u00fcrgen \u4e2d"));
    log.AddEntry(lkError, QStringLiteral("two\r\nlines"));
    TLogEngineForm form(log);
    form.show();
    // Not yet shown by the view: not saved either.
    log.AddEntry(lkInfo, QStringLiteral("after the last tick"));
    // The program's save dialog is asked (the standard requester).
    struct SaveDialog : TFileDialogs {
        QString openFileName(QWidget*, const QString&, const QString&) override { return {}; }
        QString saveFileName(QWidget*, const QString&, const QString& filter, const QString& suffix, int*) override
        {
            asked.append(filter + u' ' + suffix);
            return path;
        }
        QString path;
        QStringList asked;
    } dialog;
    dialog.path = path;
    SetFileDialogs(&dialog);

    QTest::mouseClick(form.saveButton(), Qt::LeftButton);
    SetFileDialogs(nullptr);

    EXPECT_EQ(dialog.asked, QStringList{QStringLiteral("Text files (*.txt)|*.txt .txt")});
    EXPECT_TRUE(boxes.shown.isEmpty());
    EXPECT_EQ(ReadFile(path), QByteArray("Search started in mode 'Entire network' with root ''.\r\n"
                                         "Computer \\\\ALPHA enqueued.\r\n"
                                         "IP Range is invalid (10.0.0.x)\r\n"
                                         "Logged to \\\\CAF\xc9 as J\xfcrgen ?\r\n"
                                         "two lines\r\n"));
}

TEST_F(LogEngineFormTest, SavingAnEmptyListAsksNothing)
{
    log.ClearEntries();
    TLogEngineForm form(log);
    form.show();
    int asked = 0;
    form.setSaveNameRequester([&](QWidget*) {
        ++asked;
        return QStringLiteral("/unused");
    });

    form.save();

    EXPECT_EQ(asked, 0);
    EXPECT_TRUE(boxes.shown.isEmpty());
}

TEST_F(LogEngineFormTest, ASaveThatFailsSaysWhyAndCancellingSavesNothing)
{
    TempDir dir;
    TLogEngineForm form(log);
    form.show();
    QString answer;
    form.setSaveNameRequester([&](QWidget*) { return answer; });

    form.save(); // cancelled
    EXPECT_TRUE(boxes.shown.isEmpty());

    answer = dir.path(); // a folder cannot be written as a file
    form.save();
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown[0].icon, QMessageBox::Information);
    EXPECT_TRUE(boxes.shown[0].text.startsWith(QStringLiteral("Unable to save the file (")));
    EXPECT_TRUE(boxes.shown[0].text.endsWith(u')'));
    EXPECT_GT(boxes.shown[0].text.size(), QStringLiteral("Unable to save the file ()").size());
}

TEST_F(LogEngineFormTest, SavingOverAnEarlierFileReplacesItsLines)
{
    TempDir dir;
    const QString path = dir.write(QStringLiteral("old.txt"), "an earlier, longer log\r\nsecond line\r\n");

    SaveLogExport(path, {{lkInfo, QStringLiteral("new")}});

    EXPECT_EQ(ReadFile(path), QByteArray("new\r\n"));
}

TEST_F(LogEngineFormTest, TheActionOpensTheProcessLogWholeAndClosingUnchecksIt)
{
    SearchLog.ClearEntries();
    SearchLog.AddEntry(lkInfo, QStringLiteral("Search finished."));
    {
        LockGuard guard(SearchLog);
        SearchLog.Changed = false;
        SearchLog.Rebuild = false;
    }
    QWidget mainWindow;
    QAction action;
    action.setCheckable(true);
    action.setChecked(true);

    TLogEngineForm* form = ToggleLogView(&action, &mainWindow);
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(Rows(form->model()), QStringList{QStringLiteral("Search finished.")});

    QTest::mouseClick(form->closeButton(), Qt::LeftButton);
    EXPECT_FALSE(action.isChecked());
}

} // namespace
