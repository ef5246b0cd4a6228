#include "app/KeyCommands.h"

#include "app/ResultsFilterBox.h"
#include "app/ResultsModel.h"
#include "app/ResultsView.h"
#include "app/SearchControl.h"
#include "dialogs/FindDialog.h"
#include "support/MainWindowFixture.h"
#include "support/QStringPrinter.h"
#include "support/RecordingMessageBoxes.h"
#include "support/TempDir.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

namespace {

class KeyCommandsTest : public MainWindowFixture {
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        showActive();
    }
    void showActive()
    {
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    QAction* action(TCommand command) { return window->action(command); }

    TempDir files;
    RecordingMessageBoxes boxes;
};

TEST_F(KeyCommandsTest, F5StartsASearchAndEscStopsIt)
{
    window->maskBox()->setEditText("*.txt");
    engine->hits = ShareHits(2);
    engine->holdAfterHits = true;
    window->resultsView()->setFocus();
    EXPECT_EQ(action(TCommand::Search)->shortcut(), QKeySequence(Qt::Key_F5));

    QTest::keyClick(window->resultsView(), Qt::Key_F5);
    ASSERT_TRUE(window->searchControl().running());
    ASSERT_EQ(engine->configs.size(), 1u);
    EXPECT_EQ(engine->configs[0].FileMasks, "*.txt");
    // While it runs the command answers Esc (and its menu item says so); F5 starts nothing more.
    EXPECT_EQ(action(TCommand::Search)->shortcut(), QKeySequence(Qt::Key_Escape));
    QTest::keyClick(window->resultsView(), Qt::Key_F5);
    EXPECT_EQ(engine->stopRequests, 0);
    ASSERT_TRUE(processUntil([&] { return window->resultList().size() == 2; }));

    QTest::keyClick(window->resultsView(), Qt::Key_Escape);
    EXPECT_EQ(engine->stopRequests, 1);
    ASSERT_TRUE(processUntil([&] { return !window->searchControl().running(); }));
    EXPECT_EQ(action(TCommand::Search)->shortcut(), QKeySequence(Qt::Key_F5));
    EXPECT_EQ(prompts.infos, QStringList({"Search stopped. Found 2 files."}));
    // Idle, Esc starts nothing.
    QTest::keyClick(window->resultsView(), Qt::Key_Escape);
    EXPECT_EQ(engine->configs.size(), 1u);
}

TEST_F(KeyCommandsTest, DeleteInTheListDeletesTheSelectedFilesAfterNamingThem)
{
    const QString first = files.write("one.txt", "1");
    const QString second = files.write("two.txt", "2");
    for (const QString& path : {first, second})
        window->resultsModel().appendHit(MakeItemRecord(path, 0x20, -1, 45000.5, 1));
    window->resultsModel().flushRowCount();
    window->resultsView()->setFocus();
    window->resultsView()->selectRow(1);
    window->updateCommandAvailability();
    boxes.answers = {QMessageBox::Ok};

    QTest::keyClick(window->resultsView(), Qt::Key_Delete);

    // (A window shown for the first time may also have asked about update checks.)
    EXPECT_EQ(boxes.texts().last(),
              QStringLiteral("Are you sure you want to delete the selected file(s)?\n\n") + second);
    EXPECT_TRUE(QFile::exists(first));
    EXPECT_FALSE(QFile::exists(second));
    EXPECT_EQ(window->resultList().size(), 1);
}

TEST_F(KeyCommandsTest, DeleteInATextBoxEditsTheText)
{
    const QString path = files.write("keep.txt", "1");
    window->resultsModel().appendHit(MakeItemRecord(path, 0x20, -1, 45000.5, 1));
    window->resultsModel().flushRowCount();
    window->resultsView()->selectRow(0);
    window->updateCommandAvailability();
    window->filterBox()->setFocus();
    window->filterBox()->setText("abc");
    window->filterBox()->setCursorPosition(0);

    QTest::keyClick(window->filterBox(), Qt::Key_Delete);

    EXPECT_EQ(window->filterBox()->text(), "bc");
    for (const QString& text : boxes.texts())
        EXPECT_FALSE(text.startsWith("Are you sure you want to delete")) << text.toStdString();
    EXPECT_TRUE(QFile::exists(path));
}

TEST_F(KeyCommandsTest, CtrlShiftFFocusesTheFilterBoxAndCtrlFStillFinds)
{
    window->resultsModel().appendHits(ShareHits(3));
    window->updateCommandAvailability();
    window->resultsView()->setFocus();
    window->filterBox()->setText("old");
    QTest::keyClick(window->resultsView(), Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), window->filterBox());
    EXPECT_EQ(window->filterBox()->selectedText(), "old"); // typing replaces it
    QTest::keyClicks(window->filterBox(), "file2");
    EXPECT_EQ(window->resultsModel().rowCount(), 1);

    window->resultsView()->setFocus();
    QTest::keyClick(window->resultsView(), Qt::Key_F, Qt::ControlModifier);
    ASSERT_NE(window->resultsView()->findDialog(), nullptr);
    EXPECT_TRUE(window->resultsView()->findDialog()->isVisible());
    window->resultsView()->findDialog()->close();
}

TEST_F(KeyCommandsTest, CtrlQClosesTheWindow)
{
    QSignalSpy closing(window.get(), &TMainWindow::closing);
    QTest::keyClick(window.get(), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(closing.count(), 1);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(KeyCommandsTest, MenusShowTheKeysAndTheTableKeepsItsOwn)
{
    EXPECT_EQ(action(TCommand::Exit)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
    EXPECT_EQ(action(TCommand::Delete)->shortcut(), QKeySequence(Qt::Key_Delete));
    EXPECT_EQ(action(TCommand::Find)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F));
    EXPECT_EQ(action(TCommand::SaveResults)->shortcut(), QKeySequence(Qt::Key_F2));
    for (QAction* item : window->resultsView()->popupMenu()->actions()) {
        if (!item->isSeparator() && !item->menu()) {
            EXPECT_TRUE(item->isShortcutVisibleInContextMenu()) << item->objectName().toStdString();
        }
    }
    auto* filter = window->findChild<QAction*>("ActionFilterResults");
    ASSERT_NE(filter, nullptr);
    EXPECT_EQ(filter->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F));
    // It sits in the Edit menu beside "&Find In Table".
    bool inEditMenu = false;
    for (QObject* holder : filter->associatedObjects()) {
        if (auto* menu = qobject_cast<QMenu*>(holder))
            inEditMenu = inEditMenu || menu->actions().contains(action(TCommand::Find));
    }
    EXPECT_TRUE(inEditMenu);
}

} // namespace
