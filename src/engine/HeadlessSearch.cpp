#include "engine/HeadlessSearch.h"

#include "engine/EngineErrorReporter.h"
#include "engine/HitDelivery.h"
#include "engine/HitSink.h"
#include "engine/QueueThread.h"
#include "model/Error.h"

#include <chrono>

namespace {

// Appends to the result list and tells the caller about each hit.
class RecordingHitSink : public HitSink {
public:
    RecordingHitSink(TItemList& items, const std::function<void(const TItemRecord&)>& onHit)
        : m_items(items), m_onHit(onHit)
    {
    }
    void AppendHits(const std::vector<TItemRecord>& hits) override
    {
        for (const TItemRecord& hit : hits) {
            m_items.append(hit);
            if (m_onHit)
                m_onHit(hit);
        }
    }

private:
    TItemList& m_items;
    const std::function<void(const TItemRecord&)>& m_onHit;
};

} // namespace

THeadlessSearch::THeadlessSearch(PumpDispatcher& dispatcher, const TSearchServices& services)
    : m_dispatcher(dispatcher), m_services(services)
{
}

THeadlessSearchResult THeadlessSearch::Run(const TThreadConfig& config, const TScopeRoot& root)
{
    if (!m_dispatcher.isMainThread())
        RaiseError(QStringLiteral("A headless search must run on the main thread"));
    THeadlessSearchResult result;
    RecordingHitSink hits(result.Items, OnHit);
    StdErrErrorReporter errors(EchoErrors);
    TSearchServices services = m_services;
    services.Dispatcher = &m_dispatcher;
    services.Hits = &hits;
    services.Errors = &errors;
    // The end of a run waits until no engine thread is left in the process, so a run
    // beside another search's threads would wait for that search as well.
    if (TEngineThread::LiveCount() != 0)
        RaiseError(QStringLiteral("Another search is still running"));
    m_session = std::make_shared<TSearchSession>(root, Discovery, Accounts);
    services.Session = m_session;

    bool finished = false;
    auto* queue = new TQueueThread(config, services);
    queue->CreateWorker = CreateWorker;
    queue->FreeOnTerminate = true;
    queue->OnTerminate = [&finished, &services](TEngineThread&) {
        DeliverPendingHits(services);
        finished = true;
    };
    try {
        queue->Start();
    } catch (...) {
        delete queue;
        throw;
    }

    using std::chrono::milliseconds;
    const auto stopWanted = [&] { return m_stopRequested.load() || (StopWhen && StopWhen()); };
    while (!finished) {
        if (result.Stopped) {
            m_dispatcher.pumpUntil([&] { return finished; }, milliseconds(1000));
            continue;
        }
        m_dispatcher.pumpUntil([&] { return finished || stopWanted(); }, milliseconds(1000));
        if (!finished && stopWanted()) {
            result.Stopped = true;
            m_session->RequestStop();
        }
    }
    // Self-freeing threads may still be on their last steps; nothing of theirs may
    // outlive the services the caller passed in.
    while (!m_dispatcher.pumpUntil([] { return TEngineThread::LiveCount() == 0; }, milliseconds(1000))) {
    }

    result.Log = m_session->Log().Snapshot();
    result.Errors = errors.Messages();
    return result;
}
