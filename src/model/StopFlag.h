#pragma once

#include <atomic>

// 0 while a search may run, 1 asks every engine thread to stop. Written by the main
// thread (0 at every search start, 1 on stop); read by every engine loop.
extern std::atomic<int> StopFlag;

inline bool StopRequested()
{
    return StopFlag.load(std::memory_order_relaxed) != 0;
}

// True from just before the queue thread starts until its termination handler has
// run on the main thread. Main thread only.
extern bool SearchRunning;
