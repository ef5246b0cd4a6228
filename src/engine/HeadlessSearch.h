#pragma once

#include "engine/DequeueThread.h"
#include "engine/PumpDispatcher.h"
#include "engine/ScopeRoot.h"
#include "engine/SearchLog.h"
#include "engine/SearchServices.h"
#include "engine/SearchSession.h"
#include "model/ItemRecord.h"
#include "model/ThreadConfig.h"

#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <vector>

struct THeadlessSearchResult {
    TItemList Items;                  // in the order the hits were delivered
    std::vector<TSearchLogEntry> Log; // the search log once the search had ended
    std::vector<QString> Errors;      // messages the engine threads reported
    bool Stopped = false;             // a stop was requested
};

// Runs one search without a window (tests now, the command line later): makes a
// fresh search session (its own stop, log and host queue, with the root, discovery
// options and accounts given here), starts the queue thread, pumps the main
// thread's calls until the search has ended and every engine thread is gone.
//
// Threading: construct and Run on the dispatcher's main thread. Stop may be called
// from any thread; StopWhen is asked on the main thread between pumps.
class THeadlessSearch {
public:
    // Dispatcher, Hits and Errors of services are supplied by the driver.
    THeadlessSearch(PumpDispatcher& dispatcher, const TSearchServices& services);

    THeadlessSearchResult Run(const TThreadConfig& config, const TScopeRoot& root);
    void Stop() { m_stopRequested.store(true); }

    // Returning true stops the search (asked after every call the main thread runs
    // for the engine, and at least every 20 ms).
    std::function<bool()> StopWhen;
    // Called on the main thread for every hit as it is appended.
    std::function<void(const TItemRecord&)> OnHit;
    // Replaces the workers (tests of the pool).
    TDequeueThread::WorkerFactory CreateWorker;
    // Also write reported errors to standard error.
    bool EchoErrors = true;
    // What the session of the next Run copies.
    TDiscoveryOptions Discovery;
    std::vector<TUnicodeAccount> Accounts;
    // The session of the last Run (its log stays readable); null before the first.
    std::shared_ptr<TSearchSession> Session() const { return m_session; }

private:
    PumpDispatcher& m_dispatcher;
    TSearchServices m_services;
    std::atomic<bool> m_stopRequested{false};
    std::shared_ptr<TSearchSession> m_session;
};
