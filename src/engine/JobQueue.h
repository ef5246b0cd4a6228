#pragma once

#include "engine/LockContainers.h"

#include <QString>

// The process-wide host queue of a search: computer names in UNC form (\\NAME or
// \\a.b.c.d), ended by the marker "QUEUE_ENDED". The queue thread and the host-check
// handlers fill it, the dequeue thread empties it.
inline const QString kQueueEndMarker = QStringLiteral("QUEUE_ENDED");

class TJobQueue : public TLockQueue<QString> {
public:
    // Under the lock: appends the name and wakes the waits of the engine.
    void EnqueueName(const QString& name);
    // Under the lock: the oldest name, or false (name emptied) when there is none.
    bool TryDequeue(QString& name);
    // Under the lock: discards every name.
    void ClearNames();
    // Under the lock: the number of queued entries.
    int PendingCount();
};

extern TJobQueue JobQueue;
