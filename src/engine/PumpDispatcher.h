#pragma once

#include "engine/ports/MainThreadDispatcher.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

// A main-thread dispatcher without an event loop, for tests and headless runs: calls
// from other threads are queued, and the main thread (the one that created the
// dispatcher) runs them while it pumps, in the order they were queued.
//
// Threading contract: synchronize and post may be called from any thread; the pump
// functions only on the main thread. An exception thrown by a synchronized call is
// rethrown in the calling thread; one thrown by a posted call leaves the pump
// function that ran it.
class PumpDispatcher : public MainThreadDispatcher {
public:
    PumpDispatcher();
    ~PumpDispatcher() override;

    void synchronize(const std::function<void()>& fn) override;
    void post(std::function<void()> fn) override;

    bool isMainThread() const { return std::this_thread::get_id() == m_mainThread; }

    // Runs queued calls until done() holds or timeout passes; returns done().
    // done() is tested before the first call, after every call and at least every
    // pollInterval, so conditions changed by other threads are noticed too.
    bool pumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout,
                   std::chrono::milliseconds pollInterval = std::chrono::milliseconds(20));
    // Runs queued calls for the whole duration (lets late deliveries show up in tests).
    void pumpFor(std::chrono::milliseconds duration);
    // Runs the calls queued now (not those they queue in turn); returns how many ran.
    int pumpPending();

private:
    bool runOne(std::unique_lock<std::mutex>& lock);
    void pollForCall() const;

    const std::thread::id m_mainThread;
    std::mutex m_mutex;
    std::condition_variable m_queued;
    std::deque<std::function<void()>> m_calls;
    std::atomic<bool> m_callQueued{false}; // m_calls is not empty; read without the lock
};
