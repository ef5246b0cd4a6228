#include "dialogs/ThreadViewForm.h"

#include "support/GuiTestApplication.h"
#include "support/QStringPrinter.h"
#include "support/RecordingMessageBoxes.h"

#include <QAction>
#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTreeWidget>
#include <QWindow>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>
#include <thread>

namespace {

// Workers are told apart by address only; these stand in for them.
int workerA, workerB, workerC;

struct FakeActivities : TWorkerActivitySource {
    std::vector<TWorkerActivityLine> ReadActivities() override
    {
        ++reads;
        return lines;
    }
    void SetOnChange(std::function<void()> handler) override { onChange = std::move(handler); }
    std::vector<TWorkerActivityLine> lines;
    int reads = 0;
    std::function<void()> onChange;
};

// Centred, give or take the window frame (it is only known once the window shows).
bool CentredOn(const QRect& window, const QRect& area)
{
    const QPoint offset = window.center() - area.center();
    return std::abs(offset.x()) <= 4 && std::abs(offset.y()) <= 4;
}

QStringList Captions(const TThreadViewForm& form)
{
    QStringList captions;
    for (int i = 0; i < form.listView()->topLevelItemCount(); ++i)
        captions.append(form.listView()->topLevelItem(i)->text(0));
    return captions;
}

class ThreadViewFormTest : public ::testing::Test {
protected:
    void SetUp() override { EnsureGuiApplication(); }
    void TearDown() override
    {
        // Windows closed by a test are freed by the event loop.
        QTest::qWait(1);
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (qobject_cast<TThreadViewForm*>(widget))
                delete widget;
    }

    FakeActivities source;
};

TEST_F(ThreadViewFormTest, ShowsEachWorkerWithTheIconOfItsActivity)
{
    source.lines = {{&workerA, waConnecting, QStringLiteral("\\\\ALPHA")},
                    {&workerB, waScanning, QStringLiteral("\\\\BETA\\docs\\report.doc")},
                    {&workerC, 7, QStringLiteral("\\\\GAMMA")}};
    TThreadViewForm form(source);

    EXPECT_EQ(form.windowTitle(), QStringLiteral("Working Threads"));
    EXPECT_EQ(form.size(), QSize(360, 245));
    EXPECT_EQ(form.listView()->headerItem()->text(0), QStringLiteral("Object"));
    EXPECT_EQ(form.timer().interval(), 1000);
    EXPECT_TRUE(form.timer().isActive());
    // Filled once when the window is made.
    EXPECT_EQ(source.reads, 1);
    EXPECT_EQ(Captions(form),
              QStringList({QStringLiteral("\\\\ALPHA"), QStringLiteral("\\\\BETA\\docs\\report.doc"),
                           QStringLiteral("\\\\GAMMA")}));
    const auto image = [](const QIcon& icon) { return icon.pixmap(16, 16).toImage(); };
    const QStyle* style = form.style();
    EXPECT_EQ(image(form.listView()->topLevelItem(0)->icon(0)),
              image(style->standardIcon(QStyle::SP_ComputerIcon)));
    EXPECT_EQ(image(form.listView()->topLevelItem(1)->icon(0)),
              image(style->standardIcon(QStyle::SP_FileIcon)));
    EXPECT_TRUE(form.listView()->topLevelItem(2)->icon(0).isNull());
}

TEST_F(ThreadViewFormTest, LinesChangeInPlaceEndedWorkersGoAndNewOnesComeAtTheBottom)
{
    source.lines = {{&workerA, waConnecting, QStringLiteral("\\\\ALPHA")},
                    {&workerB, waConnecting, QStringLiteral("\\\\BETA")}};
    TThreadViewForm form(source);
    QTreeWidgetItem* betaLine = form.listView()->topLevelItem(1);

    // A ended; B walks a folder; C started. The list order of the engine puts C first,
    // but the view keeps the order in which workers first appeared.
    source.lines = {{&workerC, waConnecting, QStringLiteral("\\\\GAMMA")},
                    {&workerB, waSearching, QStringLiteral("\\\\BETA\\share\\dir")}};
    form.refresh();

    EXPECT_EQ(Captions(form),
              QStringList({QStringLiteral("\\\\BETA\\share\\dir"), QStringLiteral("\\\\GAMMA")}));
    EXPECT_EQ(form.listView()->topLevelItem(0), betaLine);
    EXPECT_FALSE(betaLine->icon(0).isNull());
}

TEST_F(ThreadViewFormTest, NoWorkersLeaveTheListEmpty)
{
    source.lines = {{&workerA, waConnecting, QStringLiteral("\\\\ALPHA")}};
    TThreadViewForm form(source);
    source.lines.clear();

    form.refresh();

    EXPECT_EQ(form.listView()->topLevelItemCount(), 0);
}

TEST_F(ThreadViewFormTest, AWorkerJoiningOrLeavingRefreshesTheListWithoutATimer)
{
    auto form = std::make_unique<TThreadViewForm>(source);
    EXPECT_FALSE(form->timer().isActive()); // nothing shown, nothing to reread
    ASSERT_TRUE(source.onChange);

    source.lines = {{&workerA, waSearching, QStringLiteral("\\\\ALPHA\\c")}};
    // Notices from an engine thread, many at once: one refresh, queued to the main thread.
    std::thread engine([this] {
        for (int i = 0; i < 1000; ++i)
            source.onChange();
    });
    engine.join();
    EXPECT_EQ(form->listView()->topLevelItemCount(), 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(source.reads, 2);
    EXPECT_EQ(Captions(*form), QStringList{QStringLiteral("\\\\ALPHA\\c")});
    EXPECT_TRUE(form->timer().isActive());

    source.lines.clear();
    source.onChange();
    QCoreApplication::processEvents();
    EXPECT_EQ(form->listView()->topLevelItemCount(), 0);
    EXPECT_FALSE(form->timer().isActive());

    // A window that is gone takes its hook away.
    form.reset();
    EXPECT_FALSE(source.onChange);
}

TEST_F(ThreadViewFormTest, TheTimerRereadsActivityTextsWhileWorkersAreShown)
{
    source.lines = {{&workerA, waConnecting, QStringLiteral("\\\\ALPHA")}};
    TThreadViewForm form(source);
    form.timer().setInterval(10);
    source.lines = {{&workerA, waSearching, QStringLiteral("\\\\ALPHA\\c")}};

    EXPECT_TRUE(
        QTest::qWaitFor([&] { return Captions(form) == QStringList{QStringLiteral("\\\\ALPHA\\c")}; }, 2000));
}

TEST_F(ThreadViewFormTest, TheActionOpensOneWindowCentredOnTheMainWindow)
{
    QWidget mainWindow;
    mainWindow.setGeometry(100, 100, 800, 600);
    mainWindow.show();
    QAction action;
    action.setCheckable(true);
    action.setChecked(true);

    TThreadViewForm* first = ToggleThreadView(&action, &mainWindow, source);
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->isVisible());
    EXPECT_TRUE(CentredOn(first->frameGeometry(), mainWindow.frameGeometry()));

    // Checking again brings the open window forward instead of making a second one.
    EXPECT_EQ(ToggleThreadView(&action, &mainWindow, source), first);
}

TEST_F(ThreadViewFormTest, EveryWayOfClosingUnchecksTheActionAndFreesTheWindow)
{
    QWidget mainWindow;
    QAction action;
    action.setCheckable(true);

    const auto open = [&] {
        action.setChecked(true);
        return QPointer<TThreadViewForm>(ToggleThreadView(&action, &mainWindow, source));
    };
    const auto closedAndFreed = [&](QPointer<TThreadViewForm>& form) {
        QTest::qWait(1); // lets the deferred delete run
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return !action.isChecked() && form.isNull();
    };

    QPointer<TThreadViewForm> form = open();
    QTest::mouseClick(form->closeButton(), Qt::LeftButton);
    EXPECT_TRUE(closedAndFreed(form)) << "Close button";

    form = open();
    form->windowHandle()->close(); // what the window's close box does
    EXPECT_TRUE(closedAndFreed(form)) << "close box";

    form = open();
    QTest::keyClick(form.data(), Qt::Key_Escape);
    EXPECT_TRUE(closedAndFreed(form)) << "Escape";

    form = open();
    action.setChecked(false);
    EXPECT_EQ(ToggleThreadView(&action, &mainWindow, source), nullptr);
    EXPECT_TRUE(closedAndFreed(form)) << "unchecked action";

    // After all that a new window opens again.
    form = open();
    EXPECT_FALSE(form.isNull());
    EXPECT_TRUE(form->isVisible());
}

TEST_F(ThreadViewFormTest, WithoutAVisibleMainWindowTheWindowIsCentredOnTheScreen)
{
    QWidget mainWindow;
    QAction action;
    action.setCheckable(true);
    action.setChecked(true);

    TThreadViewForm* form = ToggleThreadView(&action, &mainWindow, source);

    EXPECT_TRUE(CentredOn(form->frameGeometry(), mainWindow.screen()->availableGeometry()));
}

} // namespace
