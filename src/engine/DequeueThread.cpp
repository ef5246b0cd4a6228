#include "engine/DequeueThread.h"

#include "engine/EngineErrorReporter.h"
#include "engine/JobQueue.h"
#include "engine/SearchSignal.h"
#include "engine/WorkerThread.h"
#include "engine/WorkerThreadList.h"
#include "model/Error.h"
#include "model/StopFlag.h"

#include <algorithm>

TDequeueThread::TDequeueThread(const TThreadConfig& config, const TSearchServices& services)
    : TEngineThread(*services.Dispatcher), FConfig(config), FServices(services)
{
}

void TDequeueThread::StartWorker(const QString& name)
{
    TWorkerThread* worker =
        CreateWorker ? CreateWorker(name, FConfig, FServices) : new TWorkerThread(name, FConfig, FServices);
    worker->FreeOnTerminate = true;
    worker->OnTerminate = WorkerThreadTerminated;
    // Registered before it starts, so it is listed for as long as it runs.
    WorkerThreadList.AddThread(worker);
    try {
        worker->Start();
    } catch (...) {
        WorkerThreadList.RemoveThread(worker);
        delete worker;
        throw;
    }
}

bool TDequeueThread::RunPass()
{
    // A limit below 1 could never take the end marker, and the search would never end.
    const int maxThreads = std::max(FConfig.MaxThreads, 1);
    int running = WorkerThreadList.ThreadCount();
    while (running < maxThreads) {
        QString name;
        if (!JobQueue.TryDequeue(name))
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
            const uint64_t seen = SearchSignal.Generation();
            if (RunPass())
                break;
            SearchSignal.WaitChange(seen, kPassPause);
            if (StopRequested())
                break;
        }
    } catch (const std::exception& error) {
        const QString message = QStringLiteral("TDequeueThread") + ExceptionMessage(error);
        ReportEngineError(FServices.Errors, message);
    }
    // Also after an error: the search must not end while its workers still deliver hits.
    SearchSignal.WaitUntil([] { return WorkerThreadList.ThreadCount() == 0; }, kFinalWaitPause);
}
