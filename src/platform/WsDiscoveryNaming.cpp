#include "platform/WsDiscoveryNaming.h"

#include "platform/WsDiscoveryClient.h"

#include <algorithm>

WsDiscoveryNaming::WsDiscoveryNaming(std::chrono::milliseconds metadataTimeout, int maxParallel,
                                     TResponderNamer fallback, Clock::time_point deadline,
                                     const std::stop_token& stop)
    : m_metadataTimeout(metadataTimeout), m_maxParallel(static_cast<size_t>(std::max(1, maxParallel))),
      m_fallback(std::move(fallback)), m_deadline(deadline)
{
    m_forward.emplace(stop, std::function<void()>([this] { m_stop.request_stop(); }));
}

WsDiscoveryNaming::~WsDiscoveryNaming()
{
    m_stop.request_stop();
    for (std::thread& thread : m_threads)
        thread.join();
}

void WsDiscoveryNaming::start(const Wsd::Endpoint& endpoint, const QString& address)
{
    if (!m_started.insert(endpoint.address).second)
        return;
    TDiscoveredHost host;
    host.address = address;
    host.source = DiscoverySource::WsDiscovery;
    std::lock_guard guard(m_lock);
    m_queue.push_back(Job{endpoint, host});
    // A busy thread takes queued jobs when it is done; a new one only below the limit.
    if (m_busy < m_maxParallel) {
        ++m_busy;
        m_threads.emplace_back([this] { work(); });
    }
}

void WsDiscoveryNaming::work()
{
    for (;;) {
        Job job;
        {
            std::lock_guard guard(m_lock);
            if (m_queue.empty()) {
                --m_busy;
                return;
            }
            job = std::move(m_queue.front());
            m_queue.pop_front();
        }
        name(job);
        std::lock_guard guard(m_lock);
        m_named[job.endpoint.address] = job.host;
    }
}

void WsDiscoveryNaming::name(Job& job) const
{
    const std::stop_token stop = m_stop.get_token();
    // Rounded up: a Get cut by the window ends at its end, not a little before.
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(m_deadline - Clock::now());
    if (!job.endpoint.xaddrs.isEmpty() && left.count() > 0)
        FetchComputerMetadata(job.endpoint, job.host, std::min(left, m_metadataTimeout), stop);
    if (job.host.name.isEmpty() && m_fallback && !stop.stop_requested())
        m_fallback(job.host, std::max(m_deadline, Clock::now() + kLateNaming), stop);
}

std::map<QString, TDiscoveredHost> WsDiscoveryNaming::finish()
{
    // Only this thread adds threads, so the list is stable while it joins.
    for (std::thread& thread : m_threads)
        thread.join();
    m_threads.clear();
    std::lock_guard guard(m_lock);
    return m_named;
}
