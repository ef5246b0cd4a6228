#pragma once

#include "engine/DequeueThread.h"
#include "engine/SearchSession.h"
#include "engine/WorkerThread.h"

#include <QString>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <vector>

// Stands in for the workers of a search in tests of the pool and the queue thread:
// records each host started, how many ran at once, and holds each worker until it
// is released (or lets them all pass at once when opened).
class WorkerGate {
public:
    // Held workers wait for release(); an open gate lets every worker through.
    explicit WorkerGate(bool open = true) : m_open(open) {}

    void enter(const QString& host);
    void release(const QString& host);
    void open();

    // Hosts in the order the pool started their workers.
    std::vector<QString> started();
    int maxRunning();
    int running();
    // Registration checks made by the workers themselves (see GatedWorker).
    int registrationFaults();
    void countRegistrationFault();

    TDequeueThread::WorkerFactory factory();

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_open;
    std::set<QString> m_released;
    std::vector<QString> m_started;
    int m_running = 0;
    int m_maxRunning = 0;
    int m_registrationFaults = 0;
};

// A worker that searches nothing: it passes the gate. It checks that it is listed
// in its session's worker list while it runs and no longer listed when it is freed.
class GatedWorker : public TWorkerThread {
public:
    GatedWorker(const QString& host, const TThreadConfig& config, const TSearchServices& services,
                WorkerGate& gate)
        : TWorkerThread(host, config, services), m_gate(gate), m_session(services.Session)
    {
    }
    ~GatedWorker() override;

protected:
    void Execute() override;

private:
    WorkerGate& m_gate;
    std::shared_ptr<TSearchSession> m_session;
};
