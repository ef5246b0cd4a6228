#include "engine/JobQueue.h"

#include "engine/SearchSignal.h"

TJobQueue JobQueue;

void TJobQueue::EnqueueName(const QString& name)
{
    {
        LockGuard guard(*this);
        Enqueue(name);
    }
    SearchSignal.Notify();
}

bool TJobQueue::TryDequeue(QString& name)
{
    LockGuard guard(*this);
    if (Count() == 0) {
        name.clear();
        return false;
    }
    name = Dequeue();
    return true;
}

void TJobQueue::ClearNames()
{
    LockGuard guard(*this);
    Clear();
}

int TJobQueue::PendingCount()
{
    LockGuard guard(*this);
    return Count();
}
