#include "engine/HitDelivery.h"

#include "engine/HitIconProvider.h"
#include "engine/HitSink.h"
#include "engine/SearchSession.h"
#include "engine/WorkerThread.h"
#include "engine/ports/MainThreadDispatcher.h"

namespace {

void DeliverPending(TSearchSession& session, HitIconProvider* icons, HitSink* sink)
{
    std::vector<TItemRecord> batch = session.PendingHits().TakeAll();
    if (batch.empty())
        return;
    for (TItemRecord& hit : batch)
        hit.ImageIndex = icons ? icons->IconIndex(IconRequestFor(hit)) : -1;
    if (sink)
        sink->AppendHits(batch);
}

// The wake-up keeps the session alive; the icon provider and sink outlive the search.
void PostWakeUp(const TSearchServices& services)
{
    services.Dispatcher->post([session = services.Session, icons = services.Icons, sink = services.Hits] {
        DeliverPending(*session, icons, sink);
    });
}

} // namespace

void QueueHit(const TSearchServices& services, const TItemRecord& hit)
{
    TItemRecord pending = hit;
    pending.ImageIndex = -1;
    if (services.Session->PendingHits().Append(std::move(pending), services.Session->StopToken()))
        PostWakeUp(services);
}

void QueueHits(const TSearchServices& services, std::vector<TItemRecord>& hits)
{
    for (TItemRecord& hit : hits)
        hit.ImageIndex = -1;
    if (services.Session->PendingHits().Append(hits, services.Session->StopToken()))
        PostWakeUp(services);
}

void DeliverPendingHits(const TSearchServices& services)
{
    if (services.Session)
        DeliverPending(*services.Session, services.Icons, services.Hits);
}
