#include "app/EngineSearchLink.h"

#include "app/IconCache.h"
#include "app/ResultsModel.h"
#include "engine/HitDelivery.h"
#include "engine/QueueThread.h"
#include "engine/SearchSession.h"
#include "model/ItemRecord.h"
#include "widgets/UserPrompts.h"

TEngineSearchLink::TEngineSearchLink(MainThreadDispatcher& dispatcher, TResultsModel& model,
                                     TIconCache& icons, const TSearchServices& services,
                                     SessionFactory newSession)
    : m_dispatcher(dispatcher), m_model(model), m_icons(icons), m_services(services),
      m_newSession(std::move(newSession))
{
    m_services.Dispatcher = &m_dispatcher;
    m_services.Hits = this;
    m_services.Icons = this;
    m_services.Errors = this;
}

std::shared_ptr<TSearchSession> TEngineSearchLink::start(const TThreadConfig& config,
                                                         std::function<void()> onEnded)
{
    std::shared_ptr<TSearchSession> session =
        m_newSession ? m_newSession() : std::make_shared<TSearchSession>();
    TSearchServices services = m_services;
    services.Session = session;
    auto* queue = new TQueueThread(config, services);
    queue->FreeOnTerminate = true;
    // Every worker has delivered by now; whatever is still pending reaches the list first.
    queue->OnTerminate = [services, onEnded = std::move(onEnded)](TEngineThread&) {
        DeliverPendingHits(services);
        onEnded();
    };
    queue->Start();
    m_session = session;
    return session;
}

void TEngineSearchLink::requestStop()
{
    if (m_session)
        m_session->RequestStop();
}

int TEngineSearchLink::runningWorkers()
{
    return m_session ? m_session->Workers().ThreadCount() : 0;
}

void TEngineSearchLink::AppendHits(const std::vector<TItemRecord>& hits)
{
    m_model.appendHits(hits);
}

int32_t TEngineSearchLink::IconIndex(const THitIconRequest& request)
{
    // The type follows the name alone: the file itself may sit on a slow host.
    return m_icons.indexForName(ExtractFileName(QString(request.path).replace(u'/', u'\\')),
                                request.isFolder);
}

void TEngineSearchLink::ReportError(const QString& message)
{
    m_dispatcher.synchronize([&] { ShowError(message); });
}
