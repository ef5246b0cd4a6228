#pragma once

#include "engine/DequeueThread.h"
#include "engine/EngineThread.h"
#include "engine/FileMask.h"
#include "engine/HostList.h"
#include "engine/ScopeRoot.h"
#include "engine/SearchServices.h"
#include "engine/SearchSession.h"
#include "engine/ports/HostCheckerService.h"
#include "model/ThreadConfig.h"

#include <QString>
#include <atomic>
#include <chrono>
#include <memory>
#include <vector>

// The producer of a search: turns the scope into computer names on the session's
// host queue (network
// browse for the entire network or all but the listed computers, the list itself
// for listed computers, host checks of every address for IP ranges), then queues the
// end marker, waits for the dequeue thread it started first, and ends.
//
// Threading: created suspended by the main thread, which sets its termination
// handler and makes it free itself. HostCheckerTerminated runs on the main thread.
// Everything it shares with the rest of the search lives in the session of its
// services (queue, log, signal, stop, scope root, discovery options). Waits are
// bounded (100 ms for host checks) and wake early through the session's signal.
// The session's stop is tested before each browse step and each enqueue; after a
// stop no new host check starts, the running ones are waited for, and the end
// marker still comes.
class TQueueThread : public TEngineThread {
public:
    static constexpr std::chrono::milliseconds kCheckerPause{100};
    static constexpr int kEnumerationBatch = 512;

    // services.Session must be set; the scope root is the session's.
    TQueueThread(const TThreadConfig& config, const TSearchServices& services);
    ~TQueueThread() override;

    // Logs "Computer %s enqueued." and queues the name, unless the search was stopped.
    void EnqueueComputer(const QString& name);
    bool MatchesMask(const QString& name) const;
    // Main thread: one host check has ended.
    void HostCheckerTerminated(uint32_t address, const THostCheckResult& result);
    int CheckerCount() const { return m_checkerCount.load(); }

    // Passed to the dequeue thread (tests replace the workers).
    TDequeueThread::WorkerFactory CreateWorker;

protected:
    void Execute() override;

private:
    TSearchSession& Session() const { return *m_services.Session; }
    void RunSearchType();
    // The browse modes: the NetBIOS browse below root and, at the same time, the
    // multicast discovery; the computers only the latter found follow the browse.
    void EnumerateHostList(const TNetResource* root);
    // Whether multicast discovery has computers for root (the whole network, a
    // provider, a group; not a single computer).
    static bool DiscoveryServes(const TNetResource* root);
    void EnumerateResource(const TNetResource* resource);
    // otherName: a second name of the same computer the masks are tried on.
    void HandleServer(const QString& name, const QString& otherName = {});
    int ProbesPerCheck() const;
    void BuildComputerMasks(const QStringList& list);
    void SearchIpRanges(const QStringList& list);
    void StartHostCheck(uint32_t address);
    void WaitForCheckers();
    void EnqueueEndMarker();

    std::atomic<int> m_checkerCount{0}; // probes of the checks outstanding
    THostList m_hostList;
    bool m_browseFailed = false; // the NetBIOS browse could not open a container
    const TThreadConfig m_config;
    const TScopeRoot m_root;
    std::vector<std::unique_ptr<TComputerMask>> m_masks;
    const TSearchServices m_services;
};

// The ICMP-less line of the search log; otherMethods: other methods are chosen.
QString IcmpUnavailableMessage(bool otherMethods);

// "Entire Network", "Excluded Computers", "Specified Computers", "IP Address Range";
// empty for Unknown.
QString SearchModeName(TSearchType searchMethod);
