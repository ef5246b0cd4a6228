#include "app/QtMainThreadDispatcher.h"

#include "support/GuiTestApplication.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <atomic>
#include <gtest/gtest.h>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

class QtMainThreadDispatcherTest : public ::testing::Test {
protected:
    void SetUp() override { EnsureGuiApplication(); }

    // Runs the event loop until done holds (or 10 s pass).
    static bool ProcessUntil(const std::function<bool()>& done)
    {
        QElapsedTimer timer;
        timer.start();
        while (!done() && timer.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        return done();
    }
};

TEST_F(QtMainThreadDispatcherTest, SynchronizedCallsRunOnTheMainThreadInEachThreadsOrder)
{
    TQtMainThreadDispatcher dispatcher;
    const std::thread::id mainThread = std::this_thread::get_id();
    std::vector<int> seen;
    std::atomic<int> offMainThread{0};
    std::atomic<int> finished{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 250; ++i) {
                dispatcher.synchronize([&, t, i] {
                    if (std::this_thread::get_id() != mainThread)
                        ++offMainThread;
                    seen.push_back(t * 1000 + i);
                });
            }
            ++finished;
        });
    }
    EXPECT_TRUE(ProcessUntil([&] { return finished == 4; }));
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(offMainThread, 0);
    ASSERT_EQ(seen.size(), 1000u);
    std::vector<int> last(4, -1);
    for (int value : seen) {
        EXPECT_GT(value % 1000, last[size_t(value / 1000)]);
        last[size_t(value / 1000)] = value % 1000;
    }
}

TEST_F(QtMainThreadDispatcherTest, AnExceptionReachesTheCallingThread)
{
    TQtMainThreadDispatcher dispatcher;
    std::atomic<bool> caught{false}, done{false};
    std::thread thread([&] {
        try {
            dispatcher.synchronize([] { throw std::runtime_error("boom"); });
        } catch (const std::runtime_error&) {
            caught = true;
        }
        done = true;
    });
    EXPECT_TRUE(ProcessUntil([&] { return done.load(); }));
    thread.join();
    EXPECT_TRUE(caught);
}

TEST_F(QtMainThreadDispatcherTest, PostedCallsRunLaterAndOnTheMainThreadDirectlySynchronizeRunsAtOnce)
{
    TQtMainThreadDispatcher dispatcher;
    int value = 0;
    dispatcher.synchronize([&] { value = 1; });
    EXPECT_EQ(value, 1);
    dispatcher.post([&] { value = 2; });
    EXPECT_EQ(value, 1);
    EXPECT_TRUE(ProcessUntil([&] { return value == 2; }));
}

TEST_F(QtMainThreadDispatcherTest, CallsAlsoRunInsideANestedEventLoop)
{
    TQtMainThreadDispatcher dispatcher;
    std::atomic<bool> delivered{false};
    QEventLoop nested;
    std::thread thread([&] {
        dispatcher.synchronize([&] { delivered = true; });
        QMetaObject::invokeMethod(
            &nested, [&] { nested.quit(); }, Qt::QueuedConnection);
    });
    nested.exec();
    thread.join();
    EXPECT_TRUE(delivered);
}

// A call that waits for the user (an error box's nested event loop) must not hold up
// the other threads: their calls, synchronous and posted, run while it is open.
TEST_F(QtMainThreadDispatcherTest, ACallWaitingInANestedLoopLetsOtherThreadsCallsRun)
{
    TQtMainThreadDispatcher dispatcher;
    std::atomic<bool> boxOpen{false};
    std::atomic<bool> otherSynchronized{false}, otherPosted{false};
    bool sawOthersWhileOpen = false;
    std::thread failing([&] {
        dispatcher.synchronize([&] {
            QEventLoop box;
            QTimer poll;
            QObject::connect(&poll, &QTimer::timeout, &box, [&] {
                if (otherSynchronized && otherPosted)
                    box.quit();
            });
            poll.start(5);
            QTimer::singleShot(3000, &box, &QEventLoop::quit); // the user never answers
            boxOpen = true;
            box.exec();
            sawOthersWhileOpen = otherSynchronized && otherPosted;
        });
    });
    std::thread other([&] {
        while (!boxOpen)
            std::this_thread::yield();
        dispatcher.post([&] { otherPosted = true; });
        dispatcher.synchronize([&] { otherSynchronized = true; });
    });
    EXPECT_TRUE(ProcessUntil([&] { return otherSynchronized && otherPosted && boxOpen; }));
    failing.join();
    other.join();
    EXPECT_TRUE(sawOthersWhileOpen);
}

} // namespace
