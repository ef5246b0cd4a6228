#include "dialogs/LogEngineForm.h"

#include "dialogs/LogExport.h"
#include "engine/SearchSession.h"
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
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <gtest/gtest.h>
#include <thread>
#include <utility>

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
        log.AddEntry(TSearchLogKind::Info,
                     QStringLiteral("Search started in mode 'Entire network' with root ''."));
        log.AddEntry(TSearchLogKind::Computer, QStringLiteral("Computer \\\\ALPHA enqueued."));
        log.AddEntry(TSearchLogKind::Error, QStringLiteral("IP Range is invalid (10.0.0.x)"));
        markSeen();
    }

    // As if the view had looked at the log already: no flag set.
    void markSeen()
    {
        log.WithLock([](TSearchLogState& state) {
            state.Changed = false;
            state.Rebuild = false;
        });
    }
    std::pair<bool, bool> flags()
    {
        return log.WithLock(
            [](const TSearchLogState& state) { return std::pair(state.Changed, state.Rebuild); });
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
    EXPECT_EQ(form.model().headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(),
              QStringLiteral("Event"));
    EXPECT_EQ(form.listView()->header()->sectionSize(0), 370);
    EXPECT_EQ(Rows(form.model()),
              QStringList({QStringLiteral("Search started in mode 'Entire network' with root ''."),
                           QStringLiteral("Computer \\\\ALPHA enqueued."),
                           QStringLiteral("IP Range is invalid (10.0.0.x)")}));
    const auto image = [](const QIcon& icon) { return icon.pixmap(16, 16).toImage(); };
    const auto rowImage = [&](int row) {
        return image(form.model().data(form.model().index(row), Qt::DecorationRole).value<QIcon>());
    };
    EXPECT_EQ(rowImage(0), image(TLogCopyModel::KindIcon(TSearchLogKind::Info)));
    EXPECT_EQ(rowImage(1), image(TLogCopyModel::KindIcon(TSearchLogKind::Computer)));
    EXPECT_EQ(rowImage(2), image(TLogCopyModel::KindIcon(TSearchLogKind::Error)));
    const auto kindOf = [](int kind) { return static_cast<TSearchLogKind>(kind); };
    for (int kind = 0; kind <= 3; ++kind) {
        EXPECT_FALSE(TLogCopyModel::KindIcon(kindOf(kind)).isNull());
        for (int other = kind + 1; other <= 3; ++other)
            EXPECT_NE(image(TLogCopyModel::KindIcon(kindOf(kind))),
                      image(TLogCopyModel::KindIcon(kindOf(other))));
    }
    EXPECT_EQ(flags(), std::pair(false, false));
}

TEST_F(LogEngineFormTest, ATickCopiesOnlyTheEntriesAddedSinceTheLastOne)
{
    TLogEngineForm form(log);
    form.show();
    {
        // Changed behind the view's back: a copied entry is not copied again.
        log.WithLock([](TSearchLogState& state) { state.Entries[0].Text = QStringLiteral("rewritten"); });
    }
    log.AddEntry(TSearchLogKind::Computer, QStringLiteral("Searching \\\\ALPHA..."));
    log.AddEntry(TSearchLogKind::Computer, QStringLiteral("No folders found on \\\\ALPHA"));

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
        log.WithLock([](TSearchLogState& state) {
            state.Entries.push_back({TSearchLogKind::Info, QStringLiteral("added without the flag")});
        });
    }

    EXPECT_FALSE(form.model().synchronize());
    EXPECT_EQ(form.model().rowCount(), 3);
}

TEST_F(LogEngineFormTest, ANewSearchEmptiesTheListAndShowsItsOwnLines)
{
    TLogEngineForm form(log);
    form.show();

    log.ClearEntries();
    log.AddEntry(TSearchLogKind::Info, QStringLiteral("Search started in mode 'IP range' with root ''."));
    form.model().synchronize();
    EXPECT_EQ(Rows(form.model()),
              QStringList{QStringLiteral("Search started in mode 'IP range' with root ''.")});

    // A log shorter than the copy is copied afresh even without Rebuild.
    log.AddEntry(TSearchLogKind::Info, QStringLiteral("Finishing search..."));
    form.model().synchronize();
    ASSERT_EQ(form.model().rowCount(), 2);
    {
        log.WithLock([](TSearchLogState& state) {
            state.Entries = {{TSearchLogKind::Scope, QStringLiteral("Opening Microsoft Windows Network...")}};
            state.Changed = true;
        });
    }
    form.model().synchronize();
    EXPECT_EQ(Rows(form.model()), QStringList{QStringLiteral("Opening Microsoft Windows Network...")});
}

TEST_F(LogEngineFormTest, ALineAddedAfterOpeningShowsWithTheNextEventsWithoutATimer)
{
    TLogEngineForm form(log);
    form.show();
    QCoreApplication::processEvents();
    EXPECT_TRUE(form.findChildren<QTimer*>().isEmpty());

    log.AddEntry(TSearchLogKind::Info, QStringLiteral("Finishing search..."));
    // The notice is queued, not run inside the log's AddEntry.
    EXPECT_EQ(form.model().rowCount(), 3);
    QCoreApplication::processEvents();

    ASSERT_EQ(form.model().rowCount(), 4);
    EXPECT_EQ(Rows(form.model())[3], QStringLiteral("Finishing search..."));
}

TEST_F(LogEngineFormTest, ABurstOfLinesFromAnEngineThreadCostsOneRefresh)
{
    TLogEngineForm form(log);
    form.show();
    QCoreApplication::processEvents();
    QSignalSpy notices(&form.model(), &TLogCopyModel::logChanged);

    std::thread engine([this] {
        for (int i = 0; i < 10000; ++i)
            log.AddEntry(TSearchLogKind::Computer, QStringLiteral("Computer \\H%1 enqueued.").arg(i));
    });
    engine.join();
    QCoreApplication::processEvents();

    EXPECT_EQ(notices.count(), 1);
    ASSERT_EQ(form.model().rowCount(), 10003);
    EXPECT_EQ(Rows(form.model()).last(), QStringLiteral("Computer \\H9999 enqueued."));
    // The next line is noticed again.
    log.AddEntry(TSearchLogKind::Info, QStringLiteral("Search finished."));
    QCoreApplication::processEvents();
    EXPECT_EQ(notices.count(), 2);
    EXPECT_EQ(form.model().rowCount(), 10004);
}

TEST_F(LogEngineFormTest, TheNoticesFollowTheLogOfTheSourcesNewSession)
{
    auto first = std::make_shared<TSearchSession>();
    std::shared_ptr<TSearchSession> current = first;
    TLogCopyModel model([&current] { return SessionLog(current); });
    model.synchronize();
    QSignalSpy notices(&model, &TLogCopyModel::logChanged);
    first->Log().AddEntry(TSearchLogKind::Info, QStringLiteral("first search"));
    QCoreApplication::processEvents();
    ASSERT_EQ(notices.count(), 1);

    current = std::make_shared<TSearchSession>();
    model.synchronize();
    first->Log().AddEntry(TSearchLogKind::Info, QStringLiteral("late line of the old search"));
    QCoreApplication::processEvents();
    EXPECT_EQ(notices.count(), 1);
    current->Log().AddEntry(TSearchLogKind::Info, QStringLiteral("Search started."));
    QCoreApplication::processEvents();
    EXPECT_EQ(notices.count(), 2);
    model.synchronize();
    EXPECT_EQ(Rows(model), QStringList{QStringLiteral("Search started.")});
}

TEST_F(LogEngineFormTest, SavingWritesTheShownLinesInWindows1252WithCrLf)
{
    TempDir dir;
    const QString path = dir.file(QStringLiteral("log.txt"));
    log.AddEntry(TSearchLogKind::Computer, QStringLiteral("Logged to \\\\CAF\u00c9 as J\u00fcrgen \u4e2d"));
    log.AddEntry(TSearchLogKind::Error, QStringLiteral("two\r\nlines"));
    TLogEngineForm form(log);
    form.show();
    // Not yet shown by the view: not saved either.
    log.AddEntry(TSearchLogKind::Info, QStringLiteral("after the last tick"));
    // The program's save dialog is asked (the standard requester).
    struct SaveDialog : TFileDialogs {
        QString openFileName(QWidget*, const QString&, const QString&) override { return {}; }
        QString saveFileName(QWidget*, const QString&, const QString& filter, const QString& suffix,
                             int*) override
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

    SaveLogExport(path, {{TSearchLogKind::Info, QStringLiteral("new")}});

    EXPECT_EQ(ReadFile(path), QByteArray("new\r\n"));
}

TEST_F(LogEngineFormTest, TheActionOpensTheSessionsLogWholeAndClosingUnchecksIt)
{
    auto session = std::make_shared<TSearchSession>();
    session->Log().AddEntry(TSearchLogKind::Info, QStringLiteral("Search finished."));
    session->Log().WithLock([](TSearchLogState& state) {
        state.Changed = false;
        state.Rebuild = false;
    });
    QWidget mainWindow;
    QAction action;
    action.setCheckable(true);
    action.setChecked(true);

    TLogEngineForm* form = ToggleLogView(&action, &mainWindow, [&session] { return SessionLog(session); });
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(Rows(form->model()), QStringList{QStringLiteral("Search finished.")});

    // A new session (a new search) replaces the list, whatever its log's flags say.
    auto next = std::make_shared<TSearchSession>();
    next->Log().AddEntry(TSearchLogKind::Info, QStringLiteral("Search started."));
    next->Log().WithLock([](TSearchLogState& state) { state.Changed = false; });
    session = next;
    EXPECT_TRUE(form->model().synchronize());
    EXPECT_EQ(Rows(form->model()), QStringList{QStringLiteral("Search started.")});
    // No session at all shows an empty list.
    session.reset();
    EXPECT_TRUE(form->model().synchronize());
    EXPECT_EQ(form->model().rowCount(), 0);

    QTest::mouseClick(form->closeButton(), Qt::LeftButton);
    EXPECT_FALSE(action.isChecked());
}

} // namespace
