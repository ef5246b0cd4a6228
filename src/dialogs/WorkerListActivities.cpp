#include "dialogs/WorkerListActivities.h"

#include "engine/WorkerThread.h"
#include "engine/WorkerThreadList.h"

TWorkerListActivities::TWorkerListActivities(ListSource source) : m_source(std::move(source)) {}

TWorkerListActivities::TWorkerListActivities(TWorkerThreadList& list)
    : m_source([&list] { return std::shared_ptr<TWorkerThreadList>(std::shared_ptr<void>(), &list); })
{
}

TWorkerListActivities::~TWorkerListActivities()
{
    if (m_hooked)
        m_hooked->SetOnChange({});
}

void TWorkerListActivities::SetOnChange(std::function<void()> onChange)
{
    m_onChange = std::move(onChange);
    if (m_hooked) {
        m_hooked->SetOnChange(m_onChange);
        if (!m_onChange)
            m_hooked.reset();
    } else
        follow(m_source ? m_source() : nullptr);
}

void TWorkerListActivities::follow(std::shared_ptr<TWorkerThreadList> list)
{
    if (list == m_hooked)
        return;
    if (m_hooked)
        m_hooked->SetOnChange({});
    m_hooked = m_onChange ? std::move(list) : nullptr;
    if (m_hooked)
        m_hooked->SetOnChange(m_onChange);
}

std::vector<TWorkerActivityLine> TWorkerListActivities::ReadActivities()
{
    std::vector<TWorkerActivityLine> lines;
    const std::shared_ptr<TWorkerThreadList> list = m_source ? m_source() : nullptr;
    // Hooked before the reading: a worker that joins after it is notified.
    follow(list);
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
