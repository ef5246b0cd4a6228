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
//
// Change notices: the handler given to SetOnChange is installed on the list the
// source gives and moved to another list when a reading finds the source changed
// (a new search); it is removed when the handler is reset or this object goes.
// Main thread only (the handler itself runs on the thread that changed the list).
class TWorkerListActivities : public TWorkerActivitySource {
public:
    // The list to read now (the running or last search's); null reads no workers.
    using ListSource = std::function<std::shared_ptr<TWorkerThreadList>()>;

    explicit TWorkerListActivities(ListSource source);
    explicit TWorkerListActivities(TWorkerThreadList& list);
    ~TWorkerListActivities() override;
    TWorkerListActivities(const TWorkerListActivities&) = delete;
    TWorkerListActivities& operator=(const TWorkerListActivities&) = delete;

    std::vector<TWorkerActivityLine> ReadActivities() override;
    void SetOnChange(std::function<void()> onChange) override;

private:
    // Moves the change handler to list (the one the source gives now).
    void follow(std::shared_ptr<TWorkerThreadList> list);

    ListSource m_source;
    std::function<void()> m_onChange;
    std::shared_ptr<TWorkerThreadList> m_hooked; // the list the handler is installed on
};
