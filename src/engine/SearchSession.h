#pragma once

#include "engine/HostProgress.h"
#include "engine/JobQueue.h"
#include "engine/PendingHits.h"
#include "engine/ScopeRoot.h"
#include "engine/SearchLog.h"
#include "engine/SearchSignal.h"
#include "engine/WorkerThreadList.h"
#include "model/Account.h"
#include "model/DiscoveryOptions.h"

#include <memory>
#include <stop_token>
#include <vector>

// Everything that belongs to one search: its stop request, the signal that wakes
// its waits, its host queue, its log, its running workers, its hits not yet taken
// by the main thread, and the copies of the scope root, the IP discovery settings
// and the accounts it was started with. Two
// sessions share nothing, so two searches in one process never see each other's
// stop, log, queue, workers or per-host progress.
//
// Lifetime: held through a shared_ptr. Every engine thread of the search keeps a
// reference (through TSearchServices), and the program keeps the last session so
// that its log stays readable after the search ended.
//
// Threading: the copies are read-only; the containers lock themselves. RequestStop
// may be called from any thread; engine loops and the platform's clients see the
// stop through StopToken().
class TSearchSession {
public:
    explicit TSearchSession(const TScopeRoot& root = {}, const TDiscoveryOptions& discovery = {},
                            std::vector<TUnicodeAccount> accounts = {});
    TSearchSession(const TSearchSession&) = delete;
    TSearchSession& operator=(const TSearchSession&) = delete;

    std::stop_token StopToken() const { return m_stop.get_token(); }
    bool StopRequested() const { return m_stop.stop_requested(); }
    // Asks every engine thread of this search to stop and wakes their waits.
    void RequestStop();

    TSearchSignal& Signal() { return m_signal; }
    TJobQueue& Jobs() { return m_jobs; }
    TEngineSearchLog& Log() { return m_log; }
    TWorkerThreadList& Workers() { return m_workers; }
    TPendingHits& PendingHits() { return m_pendingHits; }
    THostProgress& Progress() { return m_progress; }

    const TScopeRoot& Root() const { return m_root; }
    const TDiscoveryOptions& Discovery() const { return m_discovery; }
    const std::vector<TUnicodeAccount>& Accounts() const { return m_accounts; }

private:
    std::stop_source m_stop;
    TSearchSignal m_signal;
    TJobQueue m_jobs{m_signal};
    TEngineSearchLog m_log;
    TWorkerThreadList m_workers{m_signal};
    TPendingHits m_pendingHits;
    THostProgress m_progress;
    const TScopeRoot m_root;
    const TDiscoveryOptions m_discovery;
    const std::vector<TUnicodeAccount> m_accounts;
};

// The log and worker list of a session, sharing its ownership (null for no session).
std::shared_ptr<TEngineSearchLog> SessionLog(const std::shared_ptr<TSearchSession>& session);
std::shared_ptr<TWorkerThreadList> SessionWorkers(const std::shared_ptr<TSearchSession>& session);
std::shared_ptr<THostProgress> SessionProgress(const std::shared_ptr<TSearchSession>& session);
