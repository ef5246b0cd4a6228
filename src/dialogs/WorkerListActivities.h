#pragma once

#include "dialogs/WorkerActivitySource.h"

#include <functional>
#include <memory>

class TWorkerThreadList;

// The thread view's source over a search's worker list: every registered worker in
// list order with its activity, read while the list's lock is held (list lock
// first, then each worker's own lock inside GetActivity; see LockContainers.h). A
// worker leaves the list on the main thread before it is freed, so none can go
// away during the reading.
class TWorkerListActivities : public TWorkerActivitySource {
public:
    // The list to read now (the running or last search's); null reads no workers.
    using ListSource = std::function<std::shared_ptr<TWorkerThreadList>()>;

    explicit TWorkerListActivities(ListSource source);
    explicit TWorkerListActivities(TWorkerThreadList& list);
    std::vector<TWorkerActivityLine> ReadActivities() override;

private:
    ListSource m_source;
};
