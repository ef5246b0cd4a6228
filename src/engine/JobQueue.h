#pragma once

#include "engine/LockContainers.h"

#include <QString>
#include <deque>

class TSearchSignal;

// The host queue of one search: computer names in UNC form (\\NAME or \\a.b.c.d),
// ended by the marker "QUEUE_ENDED". The queue thread and the host-check handlers
// fill it, the dequeue thread empties it. Every operation takes the queue's lock.
inline const QString kQueueEndMarker = QStringLiteral("QUEUE_ENDED");

class TJobQueue {
public:
    // signal: the search's signal, woken at every enqueue; must outlive the queue.
    explicit TJobQueue(TSearchSignal& signal);

    // Appends the name and wakes the waits of the search.
    void EnqueueName(const QString& name);
    // The oldest name, or false (name emptied) when there is none.
    bool TryDequeue(QString& name);
    // Discards every name.
    void ClearNames();
    // The number of queued entries.
    int PendingCount() const;

private:
    TSearchSignal& m_signal;
    TSynchronized<std::deque<QString>> m_names;
};
