#include "platform/ReverseLookupChannel.h"

#include "platform/FileDescriptor.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <unordered_set>

namespace {
// An idle helper thread ends after this long without work.
constexpr auto kIdleExit = std::chrono::seconds(5);
} // namespace

struct ReverseLookupChannel::State {
    struct Job {
        ProbeId id;
        uint32_t address;
    };

    std::mutex lock;
    std::condition_variable workAvailable;
    std::deque<Job> queue;
    std::unordered_set<ProbeId> wanted; // begun and neither cancelled nor collected
    std::vector<ProbeOutcome> done;
    int helpers = 0;
    int idleHelpers = 0;
    int maxHelpers = 1;
    bool closing = false;
    UniqueFd wakeup; // eventfd, readable while answers wait in done

    void helperLoop();
};

void ReverseLookupChannel::State::helperLoop()
{
    std::unique_lock guard(lock);
    for (;;) {
        ++idleHelpers;
        const bool woken =
            workAvailable.wait_for(guard, kIdleExit, [&] { return closing || !queue.empty(); });
        --idleHelpers;
        if (closing || !woken) {
            --helpers;
            return;
        }
        const Job job = queue.front();
        queue.pop_front();
        guard.unlock();
        const QString name = LookupName(job.address);
        guard.lock();
        if (wanted.erase(job.id)) {
            done.push_back(ProbeOutcome{job.id, !name.isEmpty(), name});
            const uint64_t one = 1;
            [[maybe_unused]] const ssize_t written = write(wakeup.get(), &one, sizeof one);
        }
    }
}

ReverseLookupChannel::ReverseLookupChannel(int helperThreads) : m_state(std::make_shared<State>())
{
    m_state->maxHelpers = helperThreads < 1 ? 1 : helperThreads;
    m_state->wakeup.reset(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
}

ReverseLookupChannel::~ReverseLookupChannel()
{
    std::lock_guard guard(m_state->lock);
    m_state->closing = true;
    m_state->queue.clear();
    m_state->wanted.clear();
    m_state->workAvailable.notify_all();
}

bool ReverseLookupChannel::usable() const
{
    return m_state->wakeup.valid();
}

int ReverseLookupChannel::descriptor() const
{
    return m_state->wakeup.get();
}

QString ReverseLookupChannel::LookupName(uint32_t address)
{
    sockaddr_in socketAddress{};
    socketAddress.sin_family = AF_INET;
    socketAddress.sin_addr.s_addr = address;
    char host[NI_MAXHOST] = {};
    if (getnameinfo(reinterpret_cast<const sockaddr*>(&socketAddress), sizeof socketAddress, host,
                    sizeof host, nullptr, 0, NI_NAMEREQD) != 0)
        return {};
    return QString::fromUtf8(host);
}

ProbeStatus ReverseLookupChannel::begin(ProbeId id, uint32_t address)
{
    std::lock_guard guard(m_state->lock);
    m_state->queue.push_back(State::Job{id, address});
    m_state->wanted.insert(id);
    if (m_state->idleHelpers == 0 && m_state->helpers < m_state->maxHelpers) {
        ++m_state->helpers;
        // Detached on purpose: a helper may stay blocked in the resolver after the
        // channel is gone; it owns a reference to the state until it returns.
        std::thread([state = m_state] { state->helperLoop(); }).detach();
    } else {
        m_state->workAvailable.notify_one();
    }
    return ProbeStatus::Pending;
}

void ReverseLookupChannel::cancel(ProbeId id)
{
    std::lock_guard guard(m_state->lock);
    m_state->wanted.erase(id);
    std::erase_if(m_state->queue, [id](const State::Job& job) { return job.id == id; });
}

void ReverseLookupChannel::collect(std::vector<ProbeOutcome>& outcomes)
{
    uint64_t count;
    [[maybe_unused]] const ssize_t drained = read(m_state->wakeup.get(), &count, sizeof count);
    std::lock_guard guard(m_state->lock);
    for (ProbeOutcome& outcome : m_state->done)
        outcomes.push_back(std::move(outcome));
    m_state->done.clear();
}
