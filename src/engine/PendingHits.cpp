#include "engine/PendingHits.h"

#include <iterator>

bool TPendingHits::Append(TItemRecord hit, const std::stop_token& stop)
{
    std::unique_lock lock(m_mutex);
    const bool wasEmpty = WaitForRoom(lock, stop);
    m_hits.push_back(std::move(hit));
    return wasEmpty;
}

bool TPendingHits::Append(std::vector<TItemRecord>& hits, const std::stop_token& stop)
{
    if (hits.empty())
        return false;
    bool wasEmpty = false;
    {
        std::unique_lock lock(m_mutex);
        wasEmpty = WaitForRoom(lock, stop);
        if (wasEmpty)
            m_hits.swap(hits);
        else
            m_hits.insert(m_hits.end(), std::make_move_iterator(hits.begin()),
                          std::make_move_iterator(hits.end()));
    }
    hits.clear();
    return wasEmpty;
}

bool TPendingHits::WaitForRoom(std::unique_lock<std::mutex>& lock, const std::stop_token& stop)
{
    while (m_hits.size() >= kMaxPending && !stop.stop_requested())
        m_drained.wait_for(lock, stop, kFullWait, [this] { return m_hits.size() < kMaxPending; });
    return m_hits.empty();
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
