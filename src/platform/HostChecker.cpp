#include "platform/HostChecker.h"

#include "engine/ports/MainThreadDispatcher.h"
#include "engine/ports/PlatformError.h"
#include "model/Error.h"
#include "platform/IcmpEchoChannel.h"
#include "platform/NeighbourChannel.h"
#include "platform/NetBiosStatusChannel.h"
#include "platform/ReverseLookupChannel.h"
#include "platform/TcpConnectChannel.h"

#include <algorithm>
#include <cerrno>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace {

// New checks are sent in slices, with the replies read in between: a burst of
// thousands of requests otherwise overflows the receive buffers before the loop
// gets to read them.
constexpr size_t kAdmitSlice = 64;
constexpr uint32_t kWakeupTag = 0xFFFFFFFFu;

} // namespace

HostProbeChannels OpenSystemProbeChannels(uint16_t netBiosPort)
{
    HostProbeChannels channels;
    channels.icmp = std::make_unique<IcmpEchoChannel>();
    channels.netBios = std::make_unique<NetBiosStatusChannel>(netBiosPort);
    channels.arp = std::make_unique<NeighbourChannel>();
    channels.tcp = std::make_unique<TcpConnectChannel>();
    channels.tcpFtp = std::make_unique<TcpConnectChannel>(std::vector<uint16_t>{
        TcpConnectChannel::kSmbPort, TcpConnectChannel::kNetBiosSessionPort, TcpConnectChannel::kFtpPort});
    channels.lookup = std::make_unique<ReverseLookupChannel>();
    return channels;
}

HostChecker::HostChecker(MainThreadDispatcher& dispatcher, HostProbeChannels channels,
                         std::chrono::milliseconds lookupDeadline)
    : m_dispatcher(dispatcher), m_lookupDeadline(lookupDeadline), m_owned(std::move(channels))
{
    m_channels[kIcmp] = m_owned.icmp.get();
    m_channels[kNetBios] = m_owned.netBios.get();
    m_channels[kArp] = m_owned.arp.get();
    m_channels[kTcp] = m_owned.tcp.get();
    m_channels[kTcpFtp] = m_owned.tcpFtp.get();
    m_channels[kLookup] = m_owned.lookup.get();

    m_epoll.reset(epoll_create1(EPOLL_CLOEXEC));
    m_wakeup.reset(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (!m_epoll.valid() || !m_wakeup.valid()) {
        const PlatformError error = PlatformError::fromErrno(errno);
        throw EKestrovaError(QStringLiteral("Cannot set up the host checker: ") + error.message, error.code);
    }
    auto watch = [this](int fd, uint32_t tag) {
        epoll_event event{};
        event.events = EPOLLIN;
        event.data.u32 = tag;
        if (epoll_ctl(m_epoll.get(), EPOLL_CTL_ADD, fd, &event) != 0) {
            const PlatformError error = PlatformError::fromErrno(errno);
            throw EKestrovaError(QStringLiteral("Cannot set up the host checker: ") + error.message,
                                 error.code);
        }
    };
    watch(m_wakeup.get(), kWakeupTag);
    for (int stage = 0; stage < kStageCount; ++stage) {
        if (m_channels[stage] && m_channels[stage]->descriptor() >= 0)
            watch(m_channels[stage]->descriptor(), static_cast<uint32_t>(stage));
    }
    m_loop = std::thread([this] { run(); });
}

HostChecker::~HostChecker()
{
    {
        std::lock_guard guard(m_inboxLock);
        m_quit = true;
    }
    wake();
    m_loop.join();
}

bool HostChecker::available() const
{
    return std::any_of(std::begin(m_channels), std::end(m_channels) - 1,
                       [](const ProbeChannel* channel) { return channel && channel->usable(); });
}

bool HostChecker::icmpAvailable() const
{
    return m_channels[kIcmp] && m_channels[kIcmp]->usable();
}

void HostChecker::start(uint32_t address, const TDiscoveryOptions& options, std::stop_token stop,
                        std::function<void(const THostCheckResult&)> onTerminated)
{
    {
        std::lock_guard guard(m_inboxLock);
        m_inbox.push_back({address, options, std::move(stop), std::move(onTerminated)});
        ++m_outstanding;
    }
    wake();
}

int HostChecker::outstanding() const
{
    std::lock_guard guard(m_inboxLock);
    return m_outstanding;
}

void HostChecker::wake()
{
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = write(m_wakeup.get(), &one, sizeof one);
}

void HostChecker::run()
{
    epoll_event events[16];
    for (;;) {
        const int ready = epoll_wait(m_epoll.get(), events, 16, waitMilliseconds(Clock::now()));
        for (int i = 0; i < ready; ++i) {
            if (events[i].data.u32 == kWakeupTag) {
                uint64_t count;
                [[maybe_unused]] const ssize_t drained = read(m_wakeup.get(), &count, sizeof count);
            } else {
                collectFrom(static_cast<int>(events[i].data.u32));
            }
        }
        for (int stage = 0; stage < kStageCount; ++stage) {
            if (m_channels[stage] && m_channels[stage]->descriptor() < 0)
                collectFrom(stage);
        }
        bool quit;
        {
            std::lock_guard guard(m_inboxLock);
            quit = m_quit;
        }
        if (quit) {
            finishStopped(true);
            return;
        }
        finishStopped(false);
        admitNewChecks();
        const Clock::time_point now = Clock::now();
        expireDeadlines(now);
        for (ProbeChannel* channel : m_channels) {
            if (channel)
                channel->tick(now);
        }
    }
}

int HostChecker::waitMilliseconds(Clock::time_point now) const
{
    if (m_checks.empty())
        return -1; // start() and the destructor wake the loop
    Clock::time_point next = now + kStopPoll;
    for (const auto& [id, check] : m_checks) {
        if (check.pending != 0)
            next = std::min(next, check.deadline);
    }
    if (next <= now)
        return 0;
    // Round up, so that the loop does not wake just before a deadline.
    return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(next - now).count());
}

void HostChecker::admitNewChecks()
{
    std::vector<Arrival> arrivals;
    {
        std::lock_guard guard(m_inboxLock);
        arrivals.swap(m_inbox);
    }
    for (size_t i = 0; i < arrivals.size(); ++i) {
        const ProbeId id = m_nextId++;
        Check& check = m_checks[id];
        check.address = arrivals[i].address;
        check.onTerminated = std::move(arrivals[i].onTerminated);
        check.options = arrivals[i].options;
        check.stop = std::move(arrivals[i].stop);
        // Started after its search was stopped: ends at once.
        if (check.stop.stop_requested()) {
            finish(id, 0);
            continue;
        }
        startProbes(id, check);
        if ((i + 1) % kAdmitSlice == 0)
            collectAll();
    }
}

void HostChecker::startProbes(ProbeId id, Check& check)
{
    for (int method = kIcmp; method <= kTcp; ++method) {
        // The method bits are 1 << stage (ICMP, NetBios, ARP, TCP).
        if (!check.options.Methods.Contains(static_cast<TDiscoveryMethod>(1u << method)))
            continue;
        const int stage = method == kTcp && check.options.ProbeFtpPort ? kTcpFtp : method;
        ProbeChannel* channel = m_channels[stage];
        if (!channel)
            continue;
        ProbeStatus status;
        try {
            status = channel->begin(id, check.address);
        } catch (...) {
            cancelPending(id, check);
            finish(id, 2);
            return;
        }
        if (status == ProbeStatus::Pending) {
            check.pending |= 1u << stage;
        } else if (status == ProbeStatus::Answered) {
            check.reachable = true;
            break;
        }
    }
    if (check.reachable) {
        if (!cancelPending(id, check)) {
            finish(id, 2);
            return;
        }
        startLookup(id, check);
        return;
    }
    if (check.pending == 0) {
        finish(id, 0);
        return;
    }
    check.deadline = Clock::now() + std::chrono::milliseconds(std::max(0, check.options.TimeOut));
}

bool HostChecker::cancelPending(ProbeId id, Check& check)
{
    bool clean = true;
    for (int stage = 0; stage < kStageCount; ++stage) {
        if ((check.pending & (1u << stage)) == 0)
            continue;
        try {
            m_channels[stage]->cancel(id);
        } catch (...) {
            clean = false;
        }
    }
    check.pending = 0;
    return clean;
}

void HostChecker::startLookup(ProbeId id, Check& check)
{
    ProbeChannel* lookup = m_channels[kLookup];
    if (check.options.ResolveAddress && lookup) {
        ProbeStatus status;
        try {
            status = lookup->begin(id, check.address);
        } catch (...) {
            finish(id, 2);
            return;
        }
        if (status == ProbeStatus::Pending) {
            check.pending = 1u << kLookup;
            check.deadline = Clock::now() + m_lookupDeadline;
            return;
        }
    }
    finish(id, 1);
}

void HostChecker::onOutcome(int stage, const ProbeOutcome& outcome)
{
    const auto found = m_checks.find(outcome.id);
    if (found == m_checks.end())
        return;
    Check& check = found->second;
    if ((check.pending & (1u << stage)) == 0)
        return;
    check.pending &= ~(1u << stage);
    if (stage == kLookup) {
        check.hostName = outcome.name;
        finish(outcome.id, 1);
        return;
    }
    if (outcome.answered) {
        check.reachable = true;
        if (!cancelPending(outcome.id, check)) {
            finish(outcome.id, 2);
            return;
        }
        startLookup(outcome.id, check);
    } else if (check.pending == 0) {
        finish(outcome.id, 0);
    }
}

void HostChecker::collectFrom(int stage)
{
    ProbeChannel* channel = m_channels[stage];
    if (!channel)
        return;
    std::vector<ProbeOutcome> outcomes;
    try {
        channel->collect(outcomes);
    } catch (...) {
        // Nothing of what was read can be trusted: every check waiting on this
        // channel ends with the error result.
        std::vector<ProbeId> waiting;
        for (const auto& [id, check] : m_checks) {
            if ((check.pending & (1u << stage)) != 0)
                waiting.push_back(id);
        }
        for (ProbeId id : waiting) {
            Check& check = m_checks.at(id);
            check.pending &= ~(1u << stage);
            cancelPending(id, check);
            finish(id, 2);
        }
        return;
    }
    for (const ProbeOutcome& outcome : outcomes)
        onOutcome(stage, outcome);
}

void HostChecker::collectAll()
{
    for (int stage = 0; stage < kStageCount; ++stage)
        collectFrom(stage);
}

void HostChecker::expireDeadlines(Clock::time_point now)
{
    std::vector<ProbeId> expired;
    for (const auto& [id, check] : m_checks) {
        if (check.pending != 0 && check.deadline <= now)
            expired.push_back(id);
    }
    for (ProbeId id : expired) {
        Check& check = m_checks.at(id);
        const bool lookingUp = (check.pending & (1u << kLookup)) != 0;
        if (!cancelPending(id, check)) {
            finish(id, 2);
            continue;
        }
        // Reachable but no name in time, or no method answered in time.
        finish(id, lookingUp ? 1 : 0);
    }
}

void HostChecker::finishStopped(bool all)
{
    std::vector<ProbeId> ids;
    for (const auto& [id, check] : m_checks) {
        if (all || check.stop.stop_requested())
            ids.push_back(id);
    }
    for (ProbeId id : ids) {
        Check& check = m_checks.at(id);
        cancelPending(id, check); // the check ends here anyway
        finish(id, check.reachable ? 1 : 0);
    }
    // Waiting arrivals of a stopped search are left to admitNewChecks, which ends
    // them at once; only the destructor ends every one here.
    if (!all)
        return;
    std::vector<Arrival> arrivals;
    {
        std::lock_guard guard(m_inboxLock);
        arrivals.swap(m_inbox);
    }
    for (auto& arrival : arrivals) {
        const ProbeId id = m_nextId++;
        m_checks[id].onTerminated = std::move(arrival.onTerminated);
        finish(id, 0);
    }
}

void HostChecker::finish(ProbeId id, int resultCode)
{
    const auto found = m_checks.find(id);
    if (found == m_checks.end())
        return;
    THostCheckResult result;
    result.resultCode = resultCode;
    if (resultCode == 1)
        result.hostName = found->second.hostName;
    Callback callback = std::move(found->second.onTerminated);
    m_checks.erase(found);
    {
        std::lock_guard guard(m_inboxLock);
        --m_outstanding;
    }
    m_dispatcher.post([callback = std::move(callback), result] {
        if (callback)
            callback(result);
    });
}
