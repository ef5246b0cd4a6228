#include "support/TestDispatcher.h"

TestDispatcher::TestDispatcher() : m_mainThread(std::this_thread::get_id()) {}

void TestDispatcher::synchronize(const std::function<void()>& fn)
{
    if (onMainThread()) {
        fn();
        return;
    }
    std::mutex doneLock;
    std::condition_variable doneSignal;
    bool done = false;
    post([&] {
        fn();
        std::lock_guard guard(doneLock);
        done = true;
        doneSignal.notify_one();
    });
    std::unique_lock guard(doneLock);
    doneSignal.wait(guard, [&] { return done; });
}

void TestDispatcher::post(std::function<void()> fn)
{
    std::lock_guard guard(m_lock);
    m_calls.push_back(std::move(fn));
    m_queued.notify_one();
}

void TestDispatcher::pumpOnce(std::chrono::steady_clock::time_point deadline)
{
    std::deque<std::function<void()>> calls;
    {
        std::unique_lock guard(m_lock);
        m_queued.wait_until(guard, deadline, [&] { return !m_calls.empty(); });
        calls.swap(m_calls);
    }
    for (auto& call : calls)
        call();
}

bool TestDispatcher::pumpUntil(const std::function<bool()>& predicate, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!predicate()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return predicate();
        // Short slices so that a predicate that does not depend on posted calls is
        // seen promptly too.
        pumpOnce(std::min(deadline, std::chrono::steady_clock::now() + std::chrono::milliseconds(10)));
    }
    return true;
}

void TestDispatcher::pumpFor(std::chrono::milliseconds duration)
{
    const auto deadline = std::chrono::steady_clock::now() + duration;
    while (std::chrono::steady_clock::now() < deadline)
        pumpOnce(deadline);
}
