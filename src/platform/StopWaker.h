#pragma once

#include "platform/FileDescriptor.h"

#include <chrono>
#include <functional>
#include <optional>
#include <stop_token>
#include <vector>

// Turns a stop request into a readable descriptor, so that a poll over sockets
// wakes the moment the caller asks to stop instead of at its next time-out.
// Construct it on the thread that waits; the stop callback may run on any thread.
class StopWaker {
public:
    explicit StopWaker(std::stop_token token);
    StopWaker(const StopWaker&) = delete;
    StopWaker& operator=(const StopWaker&) = delete;

    bool stopRequested() const { return m_token.stop_requested(); }

    // Waits until one of fds is readable (POLLIN), the deadline passes or a stop is
    // requested. Returns the descriptors that are readable (empty on time-out or
    // stop).
    std::vector<int> waitReadable(const std::vector<int>& fds,
                                  std::chrono::steady_clock::time_point deadline);
    // The same for one descriptor and any event mask (POLLOUT for a connect);
    // returns its revents or 0.
    short waitFor(int fd, short events, std::chrono::steady_clock::time_point deadline);

private:
    std::stop_token m_token;
    UniqueFd m_event;
    std::optional<std::stop_callback<std::function<void()>>> m_callback;
};
