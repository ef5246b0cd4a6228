#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

// Wakes the waits of one search early (each search session has its own). The engine waits with fixed upper
// bounds (100 ms for host checks, 500 ms and 1000 ms in the worker pool); whatever those waits are for (a
// name queued, a worker or host check ended, stop pressed) notifies this signal, so a wait returns as soon as
// there may be something to do.
//
// A waiter reads Generation() before it tests its condition and then waits for the
// generation to change, so a notification between the test and the wait is not lost.
class TSearchSignal {
public:
    uint64_t Generation();
    void Notify();
    // Waits until the generation differs from seen or timeout passes; true if it changed.
    bool WaitChange(uint64_t seen, std::chrono::milliseconds timeout);
    // Waits until condition() holds, testing it at every notification and at least
    // every pollInterval; the condition runs without the signal's lock held.
    void WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds pollInterval);

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    uint64_t m_generation = 0;
};
