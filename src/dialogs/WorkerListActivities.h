#pragma once

#include "dialogs/WorkerActivitySource.h"

class TWorkerThreadList;

// The thread view's source over the engine's worker list: every registered worker
// in list order with its activity, read while the list's lock is held (list lock
// first, then each worker's own lock inside GetActivity). A worker leaves the list
// on the main thread before it is freed, so none can go away during the reading.
class TWorkerListActivities : public TWorkerActivitySource {
public:
    explicit TWorkerListActivities(TWorkerThreadList& list);
    std::vector<TWorkerActivityLine> ReadActivities() override;

    // The source over the process-wide WorkerThreadList.
    static TWorkerListActivities& Running();

private:
    TWorkerThreadList& m_list;
};
