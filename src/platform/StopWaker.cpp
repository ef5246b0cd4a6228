#include "platform/StopWaker.h"

#include <cerrno>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

StopWaker::StopWaker(std::stop_token token) : m_token(std::move(token))
{
    m_event.reset(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    const int fd = m_event.get();
    m_callback.emplace(m_token, std::function<void()>([fd] {
                           const uint64_t one = 1;
                           if (fd >= 0) [[maybe_unused]]
                               const ssize_t written = ::write(fd, &one, sizeof one);
                       }));
}

namespace {

int RemainingMs(std::chrono::steady_clock::time_point deadline)
{
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return left.count() <= 0 ? 0 : static_cast<int>(std::min<long long>(left.count(), 60'000));
}

} // namespace

std::vector<int> StopWaker::waitReadable(const std::vector<int>& fds,
                                         std::chrono::steady_clock::time_point deadline)
{
    std::vector<pollfd> polled;
    polled.reserve(fds.size() + 1);
    for (int fd : fds)
        polled.push_back({fd, POLLIN, 0});
    polled.push_back({m_event.get(), POLLIN, 0});
    std::vector<int> ready;
    while (!stopRequested()) {
        const int timeout = RemainingMs(deadline);
        const int count = ::poll(polled.data(), polled.size(), timeout);
        if (count < 0 && errno == EINTR)
            continue;
        if (count == 0 && std::chrono::steady_clock::now() < deadline)
            continue; // a wait longer than one poll's cap
        if (count <= 0)
            break;
        for (size_t i = 0; i + 1 < polled.size(); ++i) {
            if (polled[i].revents != 0)
                ready.push_back(polled[i].fd);
        }
        break;
    }
    return stopRequested() ? std::vector<int>{} : ready;
}

short StopWaker::waitFor(int fd, short events, std::chrono::steady_clock::time_point deadline)
{
    pollfd polled[2] = {{fd, events, 0}, {m_event.get(), POLLIN, 0}};
    while (!stopRequested()) {
        const int count = ::poll(polled, 2, RemainingMs(deadline));
        if (count < 0 && errno == EINTR)
            continue;
        if (count == 0 && std::chrono::steady_clock::now() < deadline)
            continue;
        if (count <= 0)
            return 0;
        return stopRequested() ? 0 : polled[0].revents;
    }
    return 0;
}
