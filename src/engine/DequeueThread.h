#pragma once

#include "engine/EngineThread.h"
#include "engine/SearchServices.h"
#include "engine/SearchSession.h"
#include "model/ThreadConfig.h"

#include <chrono>
#include <functional>

class TWorkerThread;

// The consumer side of a search: takes names from the session's host queue and
// starts one worker per name (registered in the session's worker list), never more
// than MaxThreads at once, until it takes the end marker or sees the session's stop
// after a pause; then it waits until every registered worker has ended.
//
// Threading: created, started, waited for and freed by the queue thread. Its pauses
// are upper bounds (1000 ms between passes, 500 ms in the final wait): it wakes as
// soon as a name is queued, a worker ends or stop is requested (the session's signal).
class TDequeueThread : public TEngineThread {
public:
    static constexpr std::chrono::milliseconds kPassPause{1000};
    static constexpr std::chrono::milliseconds kFinalWaitPause{500};

    TDequeueThread(const TThreadConfig& config, const TSearchServices& services);

    // Builds the worker of a name; the default makes a TWorkerThread. Tests replace it.
    using WorkerFactory = std::function<TWorkerThread*(const QString& host, const TThreadConfig& config,
                                                       const TSearchServices& services)>;
    WorkerFactory CreateWorker;

protected:
    void Execute() override;

private:
    TSearchSession& Session() const { return *m_services.Session; }
    // One pass: starts workers while slots are free. True if it took the end marker.
    bool RunPass();
    void StartWorker(const QString& name);

    const TThreadConfig m_config;
    const TSearchServices m_services;
};
