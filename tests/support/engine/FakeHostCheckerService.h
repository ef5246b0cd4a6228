#pragma once

#include "engine/ports/HostCheckerService.h"
#include "engine/ports/MainThreadDispatcher.h"

#include <QString>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

// Host checks without a network: each check runs on a thread of its own, waits a
// little (or until released), and reports the result set for its address (default:
// no answer) on the main thread through the dispatcher. It records the addresses
// started and the most checks outstanding at once (started, callback not yet run).
class FakeHostCheckerService : public HostCheckerService {
public:
    explicit FakeHostCheckerService(MainThreadDispatcher& dispatcher) : m_dispatcher(dispatcher) {}
    ~FakeHostCheckerService() override;

    // address in dotted form
    void setResult(const QString& address, int resultCode, const QString& hostName = {});
    void setAvailable(bool available) { m_available = available; }
    void setIcmpAvailable(bool available) { m_icmpAvailable = available; }
    void setDelay(std::chrono::milliseconds delay) { m_delay = delay; }
    // While held, checks do not finish until release().
    void hold();
    void release();

    std::vector<QString> startedAddresses();
    int maxOutstanding();
    int outstanding();
    // Joins the check threads (their callbacks may still be queued on the dispatcher).
    void joinAll();

    bool available() const override { return m_available; }
    bool icmpAvailable() const override { return m_available && m_icmpAvailable; }
    void start(uint32_t address, const TDiscoveryOptions& options, std::stop_token stop,
               std::function<void(const THostCheckResult&)> onTerminated) override;

private:
    MainThreadDispatcher& m_dispatcher;
    std::mutex m_mutex;
    std::condition_variable m_released;
    bool m_held = false;
    bool m_available = true;
    bool m_icmpAvailable = true;
    std::chrono::milliseconds m_delay{2};
    std::map<QString, THostCheckResult> m_results;
    std::vector<QString> m_started;
    std::vector<std::thread> m_threads;
    int m_outstanding = 0;
    int m_maxOutstanding = 0;
};
