#pragma once

#include "model/ItemRecord.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <stop_token>
#include <vector>

// The hits of one search on their way to the main thread, in arrival order. Workers
// append without waiting for the main thread; the main thread takes everything
// pending at once (one wake-up carries a whole batch).
//
// Threading: Append on any engine thread, TakeAll on the main thread. A worker that
// finds kMaxPending hits waiting sleeps until the main thread has taken them, so no
// worker runs far ahead of the window; it checks its stop token at least every
// kFullWait and wakes at once on stop. After a stop the hit is still appended (one
// per worker beyond the limit at most), so no hit found before the stop is lost.
class TPendingHits {
public:
    static constexpr std::size_t kMaxPending = 10000;
    static constexpr std::chrono::milliseconds kFullWait{100};

    // Appends the hit; true when the list was empty before, i.e. the caller must post
    // the one wake-up that will take this hit and those that follow it.
    bool Append(TItemRecord hit, const std::stop_token& stop);
    // Appends the hits in order (emptying hits), under one lock; the return value as
    // for Append. The wait on a full list is the same, so a batch may take the list
    // past kMaxPending by its own size.
    bool Append(std::vector<TItemRecord>& hits, const std::stop_token& stop);
    // Main thread: every pending hit in arrival order; wakes workers waiting on a full list.
    std::vector<TItemRecord> TakeAll();
    std::size_t Count() const;

private:
    // Waits while the list is full (see above); true when it is empty.
    bool WaitForRoom(std::unique_lock<std::mutex>& lock, const std::stop_token& stop);

    mutable std::mutex m_mutex;
    std::condition_variable_any m_drained;
    std::vector<TItemRecord> m_hits;
};
