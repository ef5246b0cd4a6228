#pragma once

#include "engine/ports/HostCheckerService.h"

#include <QString>
#include <functional>
#include <map>
#include <mutex>
#include <vector>

// Passes host checks on to another checker (the real one, in integration tests) and
// records what went through: every start with whether its stop was already requested, and
// every result as it was handed back.
class RecordingHostChecker : public HostCheckerService {
public:
    struct Start {
        QString address; // dotted
        bool afterStop = false;
    };

    explicit RecordingHostChecker(HostCheckerService& inner) : m_inner(inner) {}

    bool available() const override { return m_inner.available(); }
    bool icmpAvailable() const override { return m_inner.icmpAvailable(); }
    void start(uint32_t address, const TDiscoveryOptions& options, std::stop_token stop,
               std::function<void(const THostCheckResult&)> onTerminated) override;

    std::vector<Start> starts() const;
    // Result code by dotted address, for the checks that have reported back.
    std::map<QString, int> results() const;

    // Runs on the starting thread after the start was recorded and before the check
    // is passed on (with the start's index, from 0), e.g. to stop the sweep there.
    std::function<void(int index)> beforeStart;

private:
    HostCheckerService& m_inner;
    mutable std::mutex m_mutex;
    std::vector<Start> m_starts;
    std::map<QString, int> m_results;
};
