#include "dialogs/WorkerListActivities.h"

#include "engine/WorkerThread.h"
#include "engine/WorkerThreadList.h"

TWorkerListActivities::TWorkerListActivities(TWorkerThreadList& list) : m_list(list) {}

std::vector<TWorkerActivityLine> TWorkerListActivities::ReadActivities()
{
    std::vector<TWorkerActivityLine> lines;
    LockGuard guard(m_list);
    lines.reserve(size_t(m_list.Count()));
    for (TWorkerThread* worker : m_list) {
        TWorkerActivity kind = waConnecting;
        QString text;
        worker->GetActivity(kind, text);
        lines.push_back({worker, kind, text});
    }
    return lines;
}

TWorkerListActivities& TWorkerListActivities::Running()
{
    static TWorkerListActivities running(WorkerThreadList);
    return running;
}
