#include "engine/WorkerThreadList.h"

#include "engine/SearchSignal.h"
#include "engine/WorkerThread.h"

#include <algorithm>

TWorkerThreadList::TWorkerThreadList(TSearchSignal& signal) : m_signal(signal) {}

int TWorkerThreadList::ThreadCount() const
{
    return m_workers.withLock(
        [](const std::vector<TWorkerThread*>& workers) { return static_cast<int>(workers.size()); });
}

void TWorkerThreadList::AddThread(TWorkerThread* worker)
{
    m_workers.withLock([&](std::vector<TWorkerThread*>& workers) { workers.push_back(worker); });
    NotifyChange();
}

void TWorkerThreadList::RemoveThread(TWorkerThread* worker)
{
    m_workers.withLock([&](std::vector<TWorkerThread*>& workers) {
        const auto found = std::find(workers.begin(), workers.end(), worker);
        if (found != workers.end())
            workers.erase(found);
    });
    m_signal.Notify();
    NotifyChange();
}

std::vector<TWorkerThread*> TWorkerThreadList::Threads() const
{
    return m_workers.snapshot();
}

void TWorkerThreadList::ForEachLocked(const std::function<void(TWorkerThread&)>& visit) const
{
    m_workers.withLock([&](const std::vector<TWorkerThread*>& workers) {
        for (TWorkerThread* worker : workers)
            visit(*worker);
    });
}

void TWorkerThreadList::SetOnChange(std::function<void()> onChange)
{
    m_onChange.withLock([&](std::function<void()>& handler) { handler = std::move(onChange); });
}

void TWorkerThreadList::NotifyChange()
{
    m_onChange.withLock([](const std::function<void()>& handler) {
        if (handler)
            handler();
    });
}

void WorkerThreadTerminated(TWorkerThreadList& list, TEngineThread& thread)
{
    if (auto* worker = dynamic_cast<TWorkerThread*>(&thread))
        list.RemoveThread(worker);
}
