#include "engine/PumpDispatcher.h"

#include "engine/HandOverPoll.h"

#include <exception>
#include <memory>

PumpDispatcher::PumpDispatcher() : m_mainThread(std::this_thread::get_id()) {}

PumpDispatcher::~PumpDispatcher() = default;

void PumpDispatcher::synchronize(const std::function<void()>& fn)
{
    if (isMainThread()) {
        fn();
        return;
    }
    // The waiting thread keeps its own completion record alive, so the call can
    // finish even if the pump loop ends right after running it.
    struct Completion {
        std::mutex mutex;
        std::condition_variable done;
        std::atomic<bool> finished{false};
        std::exception_ptr error;
    };
    auto completion = std::make_shared<Completion>();
    post([completion, &fn] {
        std::exception_ptr error;
        try {
            fn();
        } catch (...) {
            error = std::current_exception();
        }
        {
            std::lock_guard lock(completion->mutex);
            completion->error = error;
            completion->finished.store(true, std::memory_order_release);
        }
        completion->done.notify_all();
    });
    PollBriefly([&] { return completion->finished.load(std::memory_order_acquire); });
    std::unique_lock lock(completion->mutex);
    completion->done.wait(lock, [&] { return completion->finished.load(std::memory_order_relaxed); });
    if (completion->error)
        std::rethrow_exception(completion->error);
}

void PumpDispatcher::post(std::function<void()> fn)
{
    {
        std::lock_guard lock(m_mutex);
        m_calls.push_back(std::move(fn));
        m_callQueued.store(true, std::memory_order_release);
    }
    m_queued.notify_all();
}

bool PumpDispatcher::runOne(std::unique_lock<std::mutex>& lock)
{
    if (m_calls.empty())
        return false;
    auto call = std::move(m_calls.front());
    m_calls.pop_front();
    m_callQueued.store(!m_calls.empty(), std::memory_order_relaxed);
    lock.unlock();
    try {
        call();
    } catch (...) {
        lock.lock();
        throw;
    }
    lock.lock();
    return true;
}

bool PumpDispatcher::pumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout,
                               std::chrono::milliseconds pollInterval)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::unique_lock lock(m_mutex);
    for (;;) {
        lock.unlock();
        const bool finished = done();
        lock.lock();
        if (finished)
            return true;
        if (runOne(lock))
            continue;
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline)
            return false;
        lock.unlock();
        PollBriefly([this] { return m_callQueued.load(std::memory_order_acquire); });
        lock.lock();
        m_queued.wait_until(lock, std::min(deadline, now + pollInterval), [&] { return !m_calls.empty(); });
    }
}

void PumpDispatcher::pumpFor(std::chrono::milliseconds duration)
{
    pumpUntil([] { return false; }, duration);
}

int PumpDispatcher::pumpPending()
{
    std::unique_lock lock(m_mutex);
    auto pending = static_cast<int>(m_calls.size());
    int ran = 0;
    while (ran < pending && runOne(lock))
        ++ran;
    return ran;
}
