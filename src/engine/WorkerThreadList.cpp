#include "engine/WorkerThreadList.h"

#include "engine/SearchSignal.h"
#include "engine/WorkerThread.h"

TWorkerThreadList WorkerThreadList;

int TWorkerThreadList::ThreadCount()
{
    LockGuard guard(*this);
    return Count();
}

void TWorkerThreadList::AddThread(TWorkerThread* worker)
{
    LockGuard guard(*this);
    Add(worker);
}

void TWorkerThreadList::RemoveThread(TWorkerThread* worker)
{
    {
        LockGuard guard(*this);
        Remove(worker);
    }
    SearchSignal.Notify();
}

std::vector<TWorkerThread*> TWorkerThreadList::Threads()
{
    LockGuard guard(*this);
    return {begin(), end()};
}

void WorkerThreadTerminated(TEngineThread& thread)
{
    if (auto* worker = dynamic_cast<TWorkerThread*>(&thread))
        WorkerThreadList.RemoveThread(worker);
}
