#include "engine/QueueThread.h"

#include "engine/EngineErrorReporter.h"
#include "engine/IpRange.h"
#include "engine/ScopeText.h"
#include "model/DelimitedText.h"
#include "model/DiscoverySettings.h"
#include "model/Error.h"
#include "model/IpAddress.h"

#include <algorithm>

QString SearchModeName(TSearchType searchMethod)
{
    switch (searchMethod) {
    case TSearchType::EntireNetwork:
        return QStringLiteral("Entire Network");
    case TSearchType::ExcludedComputers:
        return QStringLiteral("Excluded Computers");
    case TSearchType::SpecifiedComputers:
        return QStringLiteral("Specified Computers");
    case TSearchType::IpAddressRange:
        return QStringLiteral("IP Address Range");
    default:
        return {};
    }
}

TQueueThread::TQueueThread(const TThreadConfig& config, const TSearchServices& services)
    : TEngineThread(*services.Dispatcher), m_config(config), m_root(services.Session->Root()),
      m_services(services)
{
}

TQueueThread::~TQueueThread() = default;

void TQueueThread::EnqueueComputer(const QString& name)
{
    if (Session().StopRequested())
        return;
    if (name != kQueueEndMarker)
        Session().Log().AddEntry(TSearchLogKind::Computer, QStringLiteral("Computer %1 enqueued.").arg(name));
    Session().Jobs().EnqueueName(name);
}

bool TQueueThread::MatchesMask(const QString& name) const
{
    return std::any_of(m_masks.begin(), m_masks.end(), [&](const auto& mask) { return mask->Matches(name); });
}

void TQueueThread::EnqueueEndMarker()
{
    Session().Jobs().EnqueueName(kQueueEndMarker);
}

void TQueueThread::Execute()
{
    TDequeueThread dequeue(m_config, m_services);
    dequeue.CreateWorker = CreateWorker;
    dequeue.Start();

    bool failed = false;
    QString failure;
    bool markerQueued = false;
    try {
        const QString root = SearchScopeText(m_config.SearchMethod, SplitCommaText(m_config.ResList), m_root);
        Session().Log().AddEntry(TSearchLogKind::Info,
                                 QStringLiteral("Search started in mode '%1' with root '%2'.")
                                     .arg(SearchModeName(m_config.SearchMethod), root));
        RunSearchType();
        WaitForCheckers();
        EnqueueEndMarker();
        markerQueued = true;
        Session().Log().AddEntry(TSearchLogKind::Info, QStringLiteral("Finishing search..."));
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
    Session().Log().AddEntry(TSearchLogKind::Info, QStringLiteral("Search finished."));
    Session().Jobs().ClearNames();

    if (failed) {
        const QString message = QStringLiteral("TQueueThread: ") + failure;
        ReportEngineError(m_services.Errors, message);
    }
}

void TQueueThread::RunSearchType()
{
    const QStringList list = SplitCommaText(m_config.ResList);
    const TNetResource* root = m_root.Assigned ? &m_root.Resource : nullptr;
    switch (m_config.SearchMethod) {
    case TSearchType::EntireNetwork:
        EnumerateResource(root);
        break;
    case TSearchType::ExcludedComputers:
        BuildComputerMasks(list);
        EnumerateResource(root);
        break;
    case TSearchType::SpecifiedComputers:
        if (m_config.ResList.contains(u'*') || m_config.ResList.contains(u'?')) {
            BuildComputerMasks(list);
            EnumerateResource(root);
        } else {
            for (const QString& name : list)
                EnqueueComputer(name);
        }
        break;
    case TSearchType::IpAddressRange:
        SearchIpRanges(list);
        break;
    default:
        break;
    }
}

void TQueueThread::BuildComputerMasks(const QStringList& list)
{
    for (const QString& entry : list)
        m_masks.push_back(std::make_unique<TComputerMask>(entry));
}

void TQueueThread::HandleServer(const QString& name)
{
    const bool skipped = (m_config.SearchMethod == TSearchType::ExcludedComputers && MatchesMask(name)) ||
                         (m_config.SearchMethod == TSearchType::SpecifiedComputers && !MatchesMask(name));
    if (skipped)
        Session().Log().AddEntry(TSearchLogKind::Info,
                                 QStringLiteral("Computer ") + name + QStringLiteral(" skipped"));
    else
        EnqueueComputer(name);
}

void TQueueThread::EnumerateResource(const TNetResource* resource)
{
    if (Session().StopRequested())
        return;
    if (!m_services.Browser)
        RaiseError(QStringLiteral("No network browser available"));
    if (resource)
        Session().Log().AddEntry(TSearchLogKind::Scope,
                                 QStringLiteral("Opening %1...").arg(resource->RemoteName));

    const Result<std::unique_ptr<NetworkEnumeration>> opened =
        m_services.Browser->open(resource, Session().StopToken());
    if (!opened) {
        const PlatformError& error = opened.error();
        const QString code = QString::number(error.code);
        if (resource) {
            Session().Log().AddEntry(TSearchLogKind::Error,
                                     QStringLiteral("Cannot open the network resource \"%1\": %2 (%3)")
                                         .arg(resource->RemoteName, error.message, code));
        } else {
            Session().Log().AddEntry(
                TSearchLogKind::Error,
                QStringLiteral("Cannot open root network resource: %1 (%2)").arg(error.message, code));
        }
        return;
    }

    NetworkEnumeration& enumeration = *opened.value();
    while (!Session().StopRequested()) {
        const Result<NetworkChunk> chunk = enumeration.next(kEnumerationBatch);
        if (!chunk) {
            Session().Log().AddEntry(TSearchLogKind::Error,
                                     QStringLiteral("Error opening resource: ") + chunk.error().message);
            break;
        }
        const EnumResult result = chunk.value().state;
        const std::vector<TNetResource>& entries = chunk.value().entries;
        // The end normally comes without entries; any that do come with it are still handled.
        if (result == EnumResult::NoMoreItems && entries.empty())
            break;
        Session().Log().AddEntry(TSearchLogKind::Scope,
                                 QStringLiteral("Found %1 resources").arg(entries.size()));
        for (const TNetResource& entry : entries) {
            const bool server = entry.DisplayType == kResourceDisplayTypeServer;
            if (!server || Session().StopRequested()) {
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
    m_checkerCount.store(0);
    for (const QString& entry : list) {
        uint32_t first = 0;
        uint32_t last = 0;
        if (!ParseIPRange(entry, first, last, &Session().Log()))
            continue;
        // Without a probe facility, or once stopped, every address is passed over.
        if (!m_services.HostChecker || !m_services.HostChecker->available() || Session().StopRequested())
            continue;
        for (const uint32_t address : IPRangeAddresses(first, last)) {
            if (Session().StopRequested())
                break;
            StartHostCheck(address);
            // A negative limit would never let the wait end.
            const int limit = std::max<int>(Session().Discovery().MaxThreads, 0);
            Session().Signal().WaitUntil(
                [&] { return m_checkerCount.load() <= limit || Session().StopRequested(); }, kCheckerPause);
        }
    }
}

void TQueueThread::StartHostCheck(uint32_t address)
{
    m_checkerCount.fetch_add(1);
    try {
        m_services.HostChecker->start(
            address, Session().Discovery(), Session().StopToken(),
            [this, address](const THostCheckResult& result) { HostCheckerTerminated(address, result); });
    } catch (...) {
        m_checkerCount.fetch_sub(1);
        throw;
    }
}

void TQueueThread::HostCheckerTerminated(uint32_t address, const THostCheckResult& result)
{
    // The name goes on the queue before the count falls: the queue thread queues the
    // end marker as soon as the count reaches 0, and the name must come before it.
    if (result.resultCode == 1) {
        const bool named = Session().Discovery().ResolveAddress && !result.hostName.isEmpty();
        EnqueueComputer(QStringLiteral("\\\\") + (named ? result.hostName : IpToText(address)));
    }
    m_checkerCount.fetch_sub(1);
    Session().Signal().Notify();
}

void TQueueThread::WaitForCheckers()
{
    Session().Signal().WaitUntil([this] { return m_checkerCount.load() == 0; }, kCheckerPause);
}
