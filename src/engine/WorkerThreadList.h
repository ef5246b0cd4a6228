#pragma once

#include "engine/LockContainers.h"

#include <vector>

class TEngineThread;
class TWorkerThread;

// The process-wide list of running workers: registered by the dequeue thread before
// a worker starts, unregistered by the worker's termination handler on the main
// thread. Not owning (workers free themselves). Each operation takes the lock itself;
// the thread view holds the lock while it reads every worker's activity.
class TWorkerThreadList : public TLockList<TWorkerThread*> {
public:
    int ThreadCount();
    void AddThread(TWorkerThread* worker);
    // No effect if absent. Wakes the waits of the engine (a slot may have freed).
    void RemoveThread(TWorkerThread* worker);
    // Under the lock: a copy of the registered workers.
    std::vector<TWorkerThread*> Threads();
};

extern TWorkerThreadList WorkerThreadList;

// The termination handler the dequeue thread installs on every worker (main thread):
// unregisters it if it is a worker.
void WorkerThreadTerminated(TEngineThread& thread);
