#pragma once

#include "engine/MainThreadDispatcher.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

// A main-thread dispatcher for tests: the thread that creates it is the main
// thread, and posted calls run only while that thread pumps.
class TestDispatcher final : public MainThreadDispatcher {
public:
    TestDispatcher();

    void synchronize(const std::function<void()>& fn) override;
    void post(std::function<void()> fn) override;

    // Runs queued calls until predicate() holds or timeout passes; returns predicate().
    bool pumpUntil(const std::function<bool()>& predicate, std::chrono::milliseconds timeout);
    // Runs queued calls for duration.
    void pumpFor(std::chrono::milliseconds duration);
    bool onMainThread() const { return std::this_thread::get_id() == m_mainThread; }

private:
    // Runs what is queued, waiting at most until deadline for the first call.
    void pumpOnce(std::chrono::steady_clock::time_point deadline);

    std::thread::id m_mainThread;
    std::mutex m_lock;
    std::condition_variable m_queued;
    std::deque<std::function<void()>> m_calls;
};
