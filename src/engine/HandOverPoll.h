#pragma once

#include <chrono>
#include <thread>

// Before a thread sleeps on the other side of a hand-over between an engine thread and
// the main thread, it polls this long: busy workers usually post their next hit
// wake-up within microseconds, and the main thread usually runs a call as briefly, so
// a poll costs far less than the futex sleep and wake-up it saves.
inline constexpr auto kHandOverPoll = std::chrono::microseconds(40);

// Returns once ready() holds or kHandOverPoll has passed.
template <typename Ready> void PollBriefly(const Ready& ready)
{
    const auto until = std::chrono::steady_clock::now() + kHandOverPoll;
    while (!ready() && std::chrono::steady_clock::now() < until)
        std::this_thread::yield();
}
