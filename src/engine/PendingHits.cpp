#include "engine/PendingHits.h"

bool TPendingHits::Append(const TItemRecord& hit, const std::stop_token& stop)
{
    std::unique_lock lock(m_mutex);
    while (m_hits.size() >= kMaxPending && !stop.stop_requested())
        m_drained.wait_for(lock, stop, kFullWait, [this] { return m_hits.size() < kMaxPending; });
    const bool wasEmpty = m_hits.empty();
    m_hits.push_back(hit);
    return wasEmpty;
}

std::vector<TItemRecord> TPendingHits::TakeAll()
{
    std::vector<TItemRecord> hits;
    {
        std::lock_guard lock(m_mutex);
        hits.swap(m_hits);
    }
    m_drained.notify_all();
    return hits;
}

std::size_t TPendingHits::Count() const
{
    std::lock_guard lock(m_mutex);
    return m_hits.size();
}
