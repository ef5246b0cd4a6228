#include "support/engine/FakeHostCheckerService.h"

#include "model/IpAddress.h"

#include <algorithm>

FakeHostCheckerService::~FakeHostCheckerService()
{
    release();
    joinAll();
}

void FakeHostCheckerService::setResult(const QString& address, int resultCode, const QString& hostName)
{
    std::lock_guard lock(m_mutex);
    m_results[address] = THostCheckResult{resultCode, hostName};
}

void FakeHostCheckerService::hold()
{
    std::lock_guard lock(m_mutex);
    m_held = true;
}

void FakeHostCheckerService::release()
{
    {
        std::lock_guard lock(m_mutex);
        m_held = false;
    }
    m_released.notify_all();
}

std::vector<QString> FakeHostCheckerService::startedAddresses()
{
    std::lock_guard lock(m_mutex);
    return m_started;
}

int FakeHostCheckerService::maxOutstanding()
{
    std::lock_guard lock(m_mutex);
    return m_maxOutstanding;
}

int FakeHostCheckerService::outstanding()
{
    std::lock_guard lock(m_mutex);
    return m_outstanding;
}

void FakeHostCheckerService::joinAll()
{
    std::vector<std::thread> threads;
    {
        std::lock_guard lock(m_mutex);
        threads.swap(m_threads);
    }
    for (auto& thread : threads)
        thread.join();
}

void FakeHostCheckerService::start(uint32_t address, const TDiscoveryOptions&, std::stop_token,
                                   std::function<void(const THostCheckResult&)> onTerminated)
{
    const QString text = IpToText(address);
    std::lock_guard lock(m_mutex);
    m_started.push_back(text);
    m_maxOutstanding = std::max(m_maxOutstanding, ++m_outstanding);
    const THostCheckResult result = m_results.count(text) ? m_results[text] : THostCheckResult{};
    m_threads.emplace_back([this, result, onTerminated = std::move(onTerminated)] {
        {
            std::unique_lock wait(m_mutex);
            m_released.wait_for(wait, m_delay, [] { return false; });
            m_released.wait(wait, [this] { return !m_held; });
        }
        m_dispatcher.post([this, result, onTerminated] {
            {
                std::lock_guard done(m_mutex);
                --m_outstanding;
            }
            onTerminated(result);
        });
    });
}
