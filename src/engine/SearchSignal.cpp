#include "engine/SearchSignal.h"

uint64_t TSearchSignal::Generation()
{
    std::lock_guard lock(m_mutex);
    return m_generation;
}

void TSearchSignal::Notify()
{
    {
        std::lock_guard lock(m_mutex);
        ++m_generation;
    }
    m_changed.notify_all();
}

bool TSearchSignal::WaitChange(uint64_t seen, std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [&] { return m_generation != seen; });
}

void TSearchSignal::WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds pollInterval)
{
    for (;;) {
        const uint64_t seen = Generation();
        if (condition())
            return;
        WaitChange(seen, pollInterval);
    }
}
