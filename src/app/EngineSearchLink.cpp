#include "app/EngineSearchLink.h"

#include "app/IconCache.h"
#include "app/ResultsModel.h"
#include "engine/JobQueue.h"
#include "engine/QueueThread.h"
#include "engine/ScopeRoot.h"
#include "engine/SearchSignal.h"
#include "engine/WorkerThreadList.h"
#include "model/ItemRecord.h"
#include "widgets/UserPrompts.h"

TEngineSearchLink::TEngineSearchLink(MainThreadDispatcher& dispatcher, TResultsModel& model,
                                     TIconCache& icons, const TSearchServices& services)
    : m_dispatcher(dispatcher), m_model(model), m_icons(icons), m_services(services)
{
    m_services.Dispatcher = &m_dispatcher;
    m_services.Hits = this;
    m_services.Icons = this;
    m_services.Errors = this;
}

void TEngineSearchLink::start(const TThreadConfig& config, std::function<void()> onEnded)
{
    JobQueue.ClearNames();
    auto* queue = new TQueueThread(config, SearchScopeRoot, m_services);
    queue->FreeOnTerminate = true;
    queue->OnTerminate = [onEnded = std::move(onEnded)](TEngineThread&) { onEnded(); };
    queue->Start();
}

void TEngineSearchLink::requestStop()
{
    RequestSearchStop();
}

int TEngineSearchLink::runningWorkers()
{
    return WorkerThreadList.ThreadCount();
}

void TEngineSearchLink::AppendHit(const TItemRecord& hit)
{
    m_model.appendHit(hit);
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
