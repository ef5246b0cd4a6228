#include "support/engine/GatedWorker.h"

#include "engine/SearchSession.h"

#include <algorithm>

namespace {

bool IsRegistered(TSearchSession& session, TWorkerThread* worker)
{
    const auto threads = session.Workers().Threads();
    return std::find(threads.begin(), threads.end(), worker) != threads.end();
}

} // namespace

void WorkerGate::enter(const QString& host)
{
    std::unique_lock lock(m_mutex);
    m_maxRunning = std::max(m_maxRunning, ++m_running);
    m_changed.notify_all();
    m_changed.wait(lock, [&] { return m_open || m_released.count(host) > 0; });
    --m_running;
    m_changed.notify_all();
}

void WorkerGate::release(const QString& host)
{
    {
        std::lock_guard lock(m_mutex);
        m_released.insert(host);
    }
    m_changed.notify_all();
}

void WorkerGate::open()
{
    {
        std::lock_guard lock(m_mutex);
        m_open = true;
    }
    m_changed.notify_all();
}

std::vector<QString> WorkerGate::started()
{
    std::lock_guard lock(m_mutex);
    return m_started;
}

int WorkerGate::maxRunning()
{
    std::lock_guard lock(m_mutex);
    return m_maxRunning;
}

int WorkerGate::running()
{
    std::lock_guard lock(m_mutex);
    return m_running;
}

int WorkerGate::registrationFaults()
{
    std::lock_guard lock(m_mutex);
    return m_registrationFaults;
}

void WorkerGate::countRegistrationFault()
{
    std::lock_guard lock(m_mutex);
    ++m_registrationFaults;
}

TDequeueThread::WorkerFactory WorkerGate::factory()
{
    return [this](const QString& host, const TThreadConfig& config, const TSearchServices& services) {
        // The pool starts each worker right after creating it, so this is the start order.
        {
            std::lock_guard lock(m_mutex);
            m_started.push_back(host);
        }
        return new GatedWorker(host, config, services, *this);
    };
}

GatedWorker::~GatedWorker()
{
    if (IsRegistered(*m_session, this))
        m_gate.countRegistrationFault();
}

void GatedWorker::Execute()
{
    if (!IsRegistered(*m_session, this))
        m_gate.countRegistrationFault();
    m_gate.enter(Host());
}
