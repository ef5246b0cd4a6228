#pragma once

#include "engine/SearchServices.h"
#include "model/ItemRecord.h"

#include <vector>

// How a worker's hits reach the window: the worker appends each hit to its session's
// pending list and, when that list was empty, posts one wake-up through the
// dispatcher; the wake-up (main thread) hands everything pending to the hit sink as
// one batch, in arrival order, each hit with its icon index already set.
//
// Threading: QueueHit on the worker's thread (it never waits for the main thread,
// only for a full pending list, see TPendingHits); DeliverPendingHits on the main
// thread. Whoever ends a search on the main thread calls DeliverPendingHits first,
// so that its end handler sees every hit (the worker's and the queue thread's
// termination handlers do).

// services.Session and services.Dispatcher must be set.
void QueueHit(const TSearchServices& services, const TItemRecord& hit);
// The same for several hits in order, under one lock and with at most one wake-up;
// hits is left empty.
void QueueHits(const TSearchServices& services, std::vector<TItemRecord>& hits);
// Main thread: hands every pending hit of services.Session to services.Hits; no-op
// when nothing is pending.
void DeliverPendingHits(const TSearchServices& services);
