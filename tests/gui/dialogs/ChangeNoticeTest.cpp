#include "dialogs/ChangeNotice.h"

#include "support/GuiTestApplication.h"

#include <QCoreApplication>
#include <QObject>
#include <gtest/gtest.h>
#include <memory>
#include <thread>

namespace {

class ChangeNoticeTest : public ::testing::Test {
protected:
    void SetUp() override { EnsureGuiApplication(); }
};

TEST_F(ChangeNoticeTest, ManyChangesFromAnotherThreadQueueOneCall)
{
    QObject context;
    int runs = 0;
    TChangeNotice notice(context, [&] { ++runs; });
    const std::function<void()> hook = notice.Hook();

    std::thread engine([&] {
        for (int i = 0; i < 10000; ++i)
            hook();
    });
    engine.join();
    EXPECT_EQ(runs, 0); // queued, never run inside the hook
    QCoreApplication::processEvents();
    EXPECT_EQ(runs, 1);
    QCoreApplication::processEvents();
    EXPECT_EQ(runs, 1);

    hook();
    QCoreApplication::processEvents();
    EXPECT_EQ(runs, 2);
}

TEST_F(ChangeNoticeTest, AChangeWhileTheHandlerRunsIsNotLost)
{
    QObject context;
    int runs = 0;
    std::function<void()> hook;
    TChangeNotice notice(context, [&] {
        if (++runs == 1)
            hook(); // a change the handler itself did not see yet
    });
    hook = notice.Hook();

    hook();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();

    EXPECT_EQ(runs, 2);
}

TEST_F(ChangeNoticeTest, ACallQueuedForAContextThatIsGoneIsDropped)
{
    int runs = 0;
    auto context = std::make_unique<QObject>();
    TChangeNotice notice(*context, [&] { ++runs; });
    notice.Hook()();
    context.reset();

    QCoreApplication::processEvents();

    EXPECT_EQ(runs, 0);
}

} // namespace
