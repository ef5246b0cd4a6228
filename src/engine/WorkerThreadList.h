#pragma once

#include "engine/LockContainers.h"

#include <functional>
#include <vector>

class TEngineThread;
class TSearchSignal;
class TWorkerThread;

// The running workers of one search: registered by the dequeue thread before a
// worker starts, unregistered by the worker's termination handler on the main
// thread. Not owning (workers free themselves). Each operation takes the list's
// lock; ForEachLocked holds it while it visits every worker, which is how the thread
// view reads every worker's activity (list lock first, then the worker's own lock
// inside GetActivity; never the other way round). A worker leaves the list before
// it is freed, so none can go away during such a visit.
//
// Change notification: the handler set with SetOnChange runs after every addition
// and removal, without the list's lock held, on the thread that changed the list.
class TWorkerThreadList {
public:
    // signal: the search's signal, woken when a worker leaves; must outlive the list.
    explicit TWorkerThreadList(TSearchSignal& signal);

    int ThreadCount() const;
    void AddThread(TWorkerThread* worker);
    // No effect if absent. Wakes the waits of the search (a slot may have freed).
    void RemoveThread(TWorkerThread* worker);
    // A copy of the registered workers.
    std::vector<TWorkerThread*> Threads() const;
    // Calls visit for every registered worker in list order, under the list's lock.
    void ForEachLocked(const std::function<void(TWorkerThread&)>& visit) const;

    void SetOnChange(std::function<void()> onChange);

private:
    void NotifyChange();

    TSearchSignal& m_signal;
    TSynchronized<std::vector<TWorkerThread*>> m_workers;
    TSynchronized<std::function<void()>> m_onChange;
};

// The termination handler the dequeue thread installs on every worker (main thread):
// unregisters it from list if it is a worker.
void WorkerThreadTerminated(TWorkerThreadList& list, TEngineThread& thread);
