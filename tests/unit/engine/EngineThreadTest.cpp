#include "engine/EngineThread.h"

#include "engine/PumpDispatcher.h"
#include "model/Error.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <thread>

using namespace std::chrono_literals;

namespace {

class LambdaThread : public TEngineThread {
public:
    LambdaThread(MainThreadDispatcher& dispatcher, std::function<void(LambdaThread&)> body)
        : TEngineThread(dispatcher), m_body(std::move(body))
    {
    }
    ~LambdaThread() override
    {
        if (destroyed)
            *destroyed = true;
    }
    using TEngineThread::SetReturnValue;
    using TEngineThread::Synchronize;
    std::atomic<bool>* destroyed = nullptr;

protected:
    void Execute() override { m_body(*this); }

private:
    std::function<void(LambdaThread&)> m_body;
};

TEST(PumpDispatcherTest, SynchronizeRunsOnTheMainThreadAndWaits)
{
    PumpDispatcher dispatcher;
    const auto mainId = std::this_thread::get_id();
    std::thread::id ranOn;
    std::atomic<bool> returned{false};
    std::thread other([&] {
        dispatcher.synchronize([&] { ranOn = std::this_thread::get_id(); });
        returned = true;
    });
    ASSERT_TRUE(dispatcher.pumpUntil([&] { return returned.load(); }, 10s));
    other.join();
    EXPECT_EQ(ranOn, mainId);
}

TEST(PumpDispatcherTest, SynchronizeOnTheMainThreadRunsAtOnce)
{
    PumpDispatcher dispatcher;
    int calls = 0;
    dispatcher.synchronize([&] { ++calls; });
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(dispatcher.pumpPending(), 0);
}

TEST(PumpDispatcherTest, ExceptionOfASynchronizedCallReachesTheCaller)
{
    PumpDispatcher dispatcher;
    QString caught;
    std::atomic<bool> done{false};
    std::thread other([&] {
        try {
            dispatcher.synchronize([] { RaiseError("from the main thread"); });
        } catch (const EKestrovaError& error) {
            caught = error.message();
        }
        done = true;
    });
    ASSERT_TRUE(dispatcher.pumpUntil([&] { return done.load(); }, 10s));
    other.join();
    EXPECT_EQ(caught, "from the main thread");
}

TEST(PumpDispatcherTest, PostedCallsRunInOrderOnlyWhenPumped)
{
    PumpDispatcher dispatcher;
    QString order;
    std::thread other([&] {
        dispatcher.post([&] { order += 'a'; });
        dispatcher.post([&] {
            order += 'b';
            dispatcher.post([&] { order += 'c'; });
        });
    });
    other.join();
    EXPECT_EQ(order, "");
    EXPECT_EQ(dispatcher.pumpPending(), 2); // 'c' was queued by a pumped call
    EXPECT_EQ(order, "ab");
    EXPECT_EQ(dispatcher.pumpPending(), 1);
    EXPECT_EQ(order, "abc");
}

TEST(PumpDispatcherTest, PumpUntilNoticesConditionsChangedElsewhereAndTimesOut)
{
    PumpDispatcher dispatcher;
    std::atomic<bool> flag{false};
    std::thread other([&] {
        std::this_thread::sleep_for(30ms);
        flag = true;
    });
    EXPECT_TRUE(dispatcher.pumpUntil([&] { return flag.load(); }, 10s));
    other.join();
    EXPECT_FALSE(dispatcher.pumpUntil([] { return false; }, 30ms));
}

TEST(EngineThreadTest, TerminationHandlerRunsOnTheMainThreadBeforeWaitForReturns)
{
    PumpDispatcher dispatcher;
    const auto mainId = std::this_thread::get_id();
    std::thread::id handlerThread;
    std::atomic<bool> handlerRan{false};
    LambdaThread thread(dispatcher, [](LambdaThread& self) { self.SetReturnValue(7); });
    thread.OnTerminate = [&](TEngineThread& ended) {
        EXPECT_TRUE(ended.Finished());
        handlerThread = std::this_thread::get_id();
        handlerRan = true;
    };
    thread.Start();
    // The thread cannot end before the main thread has run its handler.
    ASSERT_TRUE(dispatcher.pumpUntil([&] { return handlerRan.load(); }, 10s));
    EXPECT_EQ(thread.WaitFor(), 7);
    EXPECT_EQ(handlerThread, mainId);
}

TEST(EngineThreadTest, SelfFreeingThreadIsDeletedAfterItsHandler)
{
    PumpDispatcher dispatcher;
    std::atomic<bool> destroyed{false};
    bool destroyedWhenHandlerRan = true;
    bool handlerRan = false;
    auto* thread = new LambdaThread(dispatcher, [](LambdaThread&) {});
    thread->destroyed = &destroyed;
    thread->FreeOnTerminate = true;
    thread->OnTerminate = [&](TEngineThread&) {
        destroyedWhenHandlerRan = destroyed.load();
        handlerRan = true;
    };
    thread->Start();
    ASSERT_TRUE(dispatcher.pumpUntil([&] { return handlerRan; }, 10s));
    EXPECT_FALSE(destroyedWhenHandlerRan);
    EXPECT_TRUE(TEngineThread::WaitForAllEnded(10s));
    EXPECT_TRUE(destroyed.load());
}

TEST(EngineThreadTest, SelfFreeingThreadCannotBeWaitedFor)
{
    PumpDispatcher dispatcher;
    LambdaThread thread(dispatcher, [](LambdaThread&) {});
    thread.FreeOnTerminate = true; // never started, so the owner still deletes it
    EXPECT_THROW(thread.WaitFor(), EKestrovaError);
}

TEST(EngineThreadTest, EscapingExceptionIsKeptAndTheHandlerStillRuns)
{
    PumpDispatcher dispatcher;
    bool handlerRan = false;
    LambdaThread thread(dispatcher, [](LambdaThread&) { RaiseError("boom"); });
    thread.OnTerminate = [&](TEngineThread&) { handlerRan = true; };
    thread.Start();
    ASSERT_TRUE(dispatcher.pumpUntil([&] { return handlerRan; }, 10s));
    thread.WaitFor();
    EXPECT_EQ(thread.FatalMessage(), "boom");
}

TEST(EngineThreadTest, SynchronizeWaitsForTheMainThread)
{
    PumpDispatcher dispatcher;
    int value = 0; // only ever touched on the main thread
    std::atomic<int> seen{-1};
    LambdaThread thread(dispatcher, [&](LambdaThread& self) {
        self.Synchronize([&] { value = 41; });
        self.Synchronize([&] { seen = ++value; });
    });
    thread.Start();
    ASSERT_TRUE(dispatcher.pumpUntil([&] { return seen.load() != -1; }, 10s));
    thread.WaitFor();
    EXPECT_EQ(seen.load(), 42);
}

TEST(EngineThreadTest, StartingTwiceIsAnError)
{
    PumpDispatcher dispatcher;
    LambdaThread thread(dispatcher, [](LambdaThread&) {});
    thread.Start();
    EXPECT_THROW(thread.Start(), EKestrovaError);
    thread.WaitFor();
}

} // namespace
