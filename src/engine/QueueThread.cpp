#include "engine/QueueThread.h"

#include "engine/EngineErrorReporter.h"
#include "engine/IpRange.h"
#include "engine/JobQueue.h"
#include "engine/SearchLog.h"
#include "engine/SearchSignal.h"
#include "model/DelimitedText.h"
#include "model/DiscoverySettings.h"
#include "model/Error.h"
#include "model/IpAddress.h"
#include "model/StopFlag.h"

#include <algorithm>

QString SearchModeName(int32_t searchMethod)
{
    switch (searchMethod) {
    case 0:
        return QStringLiteral("Entire Network");
    case 1:
        return QStringLiteral("Excluded Computers");
    case 2:
        return QStringLiteral("Specified Computers");
    case 3:
        return QStringLiteral("IP Address Range");
    default:
        return {};
    }
}

TQueueThread::TQueueThread(const TThreadConfig& config, const TScopeRoot& root,
                           const TSearchServices& services)
    : TEngineThread(*services.Dispatcher), FConfig(config), FRoot(root), FServices(services)
{
}

TQueueThread::~TQueueThread() = default;

void TQueueThread::EnqueueComputer(const QString& name)
{
    if (StopRequested())
        return;
    if (name != kQueueEndMarker)
        SearchLog.AddEntry(lkComputer, QStringLiteral("Computer %1 enqueued.").arg(name));
    JobQueue.EnqueueName(name);
}

bool TQueueThread::MatchesMask(const QString& name) const
{
    return std::any_of(FMasks.begin(), FMasks.end(), [&](const auto& mask) { return mask->Matches(name); });
}

void TQueueThread::EnqueueEndMarker()
{
    JobQueue.EnqueueName(kQueueEndMarker);
}

void TQueueThread::Execute()
{
    TDequeueThread dequeue(FConfig, FServices);
    dequeue.CreateWorker = CreateWorker;
    dequeue.Start();

    bool failed = false;
    QString failure;
    bool markerQueued = false;
    try {
        const QString root = FRoot.Assigned ? FRoot.Resource.RemoteName : QStringLiteral("Entire Network");
        SearchLog.AddEntry(lkInfo, QStringLiteral("Search started in mode '%1' with root '%2'.")
                                       .arg(SearchModeName(FConfig.SearchMethod), root));
        RunSearchType();
        WaitForCheckers();
        EnqueueEndMarker();
        markerQueued = true;
        SearchLog.AddEntry(lkInfo, QStringLiteral("Finishing search..."));
    } catch (const std::exception& error) {
        failed = true;
        failure = ExceptionMessage(error);
    }
    if (!markerQueued) {
        // The dequeue thread ends only after the marker (or a stop), and pending host
        // checks still call back into this thread: settle both before waiting.
        WaitForCheckers();
        EnqueueEndMarker();
    }
    dequeue.WaitFor();
    SearchLog.AddEntry(lkInfo, QStringLiteral("Search finished."));
    JobQueue.ClearNames();

    if (failed) {
        const QString message = QStringLiteral("TQueueThread: ") + failure;
        ReportEngineError(FServices.Errors, message);
    }
}

void TQueueThread::RunSearchType()
{
    const QStringList list = SplitCommaText(FConfig.ResList);
    const TNetResource* root = FRoot.Assigned ? &FRoot.Resource : nullptr;
    switch (FConfig.SearchMethod) {
    case 0:
        EnumerateResource(root);
        break;
    case 1:
        BuildComputerMasks(list);
        EnumerateResource(root);
        break;
    case 2:
        if (FConfig.ResList.contains(u'*') || FConfig.ResList.contains(u'?')) {
            BuildComputerMasks(list);
            EnumerateResource(root);
        } else {
            for (const QString& name : list)
                EnqueueComputer(name);
        }
        break;
    case 3:
        SearchIpRanges(list);
        break;
    default:
        break;
    }
}

void TQueueThread::BuildComputerMasks(const QStringList& list)
{
    for (const QString& entry : list)
        FMasks.push_back(std::make_unique<TComputerMask>(entry));
}

void TQueueThread::HandleServer(const QString& name)
{
    const bool skipped =
        (FConfig.SearchMethod == 1 && MatchesMask(name)) || (FConfig.SearchMethod == 2 && !MatchesMask(name));
    if (skipped)
        SearchLog.AddEntry(lkInfo, QStringLiteral("Computer ") + name + QStringLiteral(" skipped"));
    else
        EnqueueComputer(name);
}

void TQueueThread::EnumerateResource(const TNetResource* resource)
{
    if (StopRequested())
        return;
    if (!FServices.Browser)
        RaiseError(QStringLiteral("No network browser available"));
    if (resource)
        SearchLog.AddEntry(lkScope, QStringLiteral("Opening %1...").arg(resource->RemoteName));

    PlatformError error;
    const std::unique_ptr<NetworkEnumeration> enumeration = FServices.Browser->open(resource, error);
    if (!enumeration) {
        const QString code = QString::number(error.code);
        if (resource) {
            SearchLog.AddEntry(lkError, QStringLiteral("Cannot open the network resource \"%1\": %2 (%3)")
                                            .arg(resource->RemoteName, error.message, code));
        } else {
            SearchLog.AddEntry(
                lkError,
                QStringLiteral("Cannot open root network resource: %1 (%2)").arg(error.message, code));
        }
        return;
    }

    std::vector<TNetResource> entries;
    while (!StopRequested()) {
        entries.clear();
        error = PlatformError{};
        const EnumResult result = enumeration->next(kEnumerationBatch, entries, error);
        if (result == EnumResult::Error) {
            SearchLog.AddEntry(lkError, QStringLiteral("Error opening resource: ") + error.message);
            break;
        }
        // The end normally comes without entries; any that do come with it are still handled.
        if (result == EnumResult::NoMoreItems && entries.empty())
            break;
        SearchLog.AddEntry(lkScope, QStringLiteral("Found %1 resources").arg(entries.size()));
        for (const TNetResource& entry : entries) {
            const bool server = entry.DisplayType == kResourceDisplayTypeServer;
            if (!server || StopRequested()) {
                if (!server && (entry.Usage & kResourceUsageContainer) != 0)
                    EnumerateResource(&entry);
                continue;
            }
            HandleServer(entry.RemoteName);
        }
        if (result == EnumResult::NoMoreItems)
            break;
    }
}

void TQueueThread::SearchIpRanges(const QStringList& list)
{
    FCheckerCount.store(0);
    for (const QString& entry : list) {
        uint32_t first = 0;
        uint32_t last = 0;
        if (!ParseIPRange(entry, first, last))
            continue;
        // Without a probe facility, or once stopped, every address is passed over.
        if (!FServices.HostChecker || !FServices.HostChecker->available() || StopRequested())
            continue;
        for (const uint32_t address : IPRangeAddresses(first, last)) {
            if (StopRequested())
                break;
            StartHostCheck(address);
            // A negative limit would never let the wait end.
            const int limit = std::max<int>(IPDiscovery.MaxThreads.load(), 0);
            SearchSignal.WaitUntil([&] { return FCheckerCount.load() <= limit || StopRequested(); },
                                   kCheckerPause);
        }
    }
}

void TQueueThread::StartHostCheck(uint32_t address)
{
    FCheckerCount.fetch_add(1);
    try {
        FServices.HostChecker->start(address, [this, address](const THostCheckResult& result) {
            HostCheckerTerminated(address, result);
        });
    } catch (...) {
        FCheckerCount.fetch_sub(1);
        throw;
    }
}

void TQueueThread::HostCheckerTerminated(uint32_t address, const THostCheckResult& result)
{
    // The name goes on the queue before the count falls: the queue thread queues the
    // end marker as soon as the count reaches 0, and the name must come before it.
    if (result.resultCode == 1) {
        const bool named = IPDiscovery.ResolveAddress.load() && !result.hostName.isEmpty();
        EnqueueComputer(QStringLiteral("\\\\") + (named ? result.hostName : IpToText(address)));
    }
    FCheckerCount.fetch_sub(1);
    SearchSignal.Notify();
}

void TQueueThread::WaitForCheckers()
{
    SearchSignal.WaitUntil([this] { return FCheckerCount.load() == 0; }, kCheckerPause);
}
