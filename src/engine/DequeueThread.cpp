#include "engine/DequeueThread.h"

#include "engine/EngineErrorReporter.h"
#include "engine/HitDelivery.h"
#include "engine/SearchSession.h"
#include "engine/WorkerThread.h"
#include "model/Error.h"

#include <algorithm>

TDequeueThread::TDequeueThread(const TThreadConfig& config, const TSearchServices& services)
    : TEngineThread(*services.Dispatcher), m_config(config), m_services(services)
{
}

void TDequeueThread::StartWorker(const QString& name)
{
    TWorkerThread* worker = CreateWorker ? CreateWorker(name, m_config, m_services)
                                         : new TWorkerThread(name, m_config, m_services);
    worker->FreeOnTerminate = true;
    // The handler keeps the session alive until the worker has left its list. Hits
    // still pending go to the window first: the search ends only after every worker
    // has left, so its end handler sees every hit.
    worker->OnTerminate = [services = m_services](TEngineThread& thread) {
        DeliverPendingHits(services);
        WorkerThreadTerminated(services.Session->Workers(), thread);
    };
    // Registered before it starts, so it is listed for as long as it runs.
    Session().Workers().AddThread(worker);
    try {
        worker->Start();
    } catch (...) {
        Session().Workers().RemoveThread(worker);
        delete worker;
        throw;
    }
}

bool TDequeueThread::RunPass()
{
    // A limit below 1 could never take the end marker, and the search would never end.
    const int maxThreads = std::max(m_config.MaxThreads, 1);
    int running = Session().Workers().ThreadCount();
    while (running < maxThreads) {
        QString name;
        if (!Session().Jobs().TryDequeue(name))
            return false;
        if (name == kQueueEndMarker)
            return true;
        StartWorker(name);
        ++running;
    }
    return false;
}

void TDequeueThread::Execute()
{
    try {
        for (;;) {
            const uint64_t seen = Session().Signal().Generation();
            if (RunPass())
                break;
            Session().Signal().WaitChange(seen, kPassPause);
            if (Session().StopRequested())
                break;
        }
    } catch (const std::exception& error) {
        const QString message = QStringLiteral("TDequeueThread") + ExceptionMessage(error);
        ReportEngineError(m_services.Errors, message);
    }
    // Also after an error: the search must not end while its workers still deliver hits.
    Session().Signal().WaitUntil([this] { return Session().Workers().ThreadCount() == 0; }, kFinalWaitPause);
}
