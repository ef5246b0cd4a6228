#include "dialogs/WorkerListActivities.h"

#include "engine/WorkerThread.h"
#include "engine/WorkerThreadList.h"

TWorkerListActivities::TWorkerListActivities(ListSource source) : m_source(std::move(source)) {}

TWorkerListActivities::TWorkerListActivities(TWorkerThreadList& list)
    : m_source([&list] { return std::shared_ptr<TWorkerThreadList>(std::shared_ptr<void>(), &list); })
{
}

std::vector<TWorkerActivityLine> TWorkerListActivities::ReadActivities()
{
    std::vector<TWorkerActivityLine> lines;
    const std::shared_ptr<TWorkerThreadList> list = m_source ? m_source() : nullptr;
    if (!list)
        return lines;
    list->ForEachLocked([&](TWorkerThread& worker) {
        TWorkerActivity kind = waConnecting;
        QString text;
        worker.GetActivity(kind, text);
        lines.push_back({&worker, kind, text});
    });
    return lines;
}
