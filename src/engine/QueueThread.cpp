#include "engine/QueueThread.h"

#include "engine/EngineErrorReporter.h"
#include "engine/IpRange.h"
#include "engine/ScopeText.h"
#include "engine/ScopeTree.h"
#include "engine/ports/HostDiscovery.h"
#include "model/DelimitedText.h"
#include "model/DiscoverySettings.h"
#include "model/Error.h"
#include "model/IpAddress.h"

#include <algorithm>
#include <future>

// Exact text: the mode names appear in the log's first line of every search, which
// users' scripts and the tests match.
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
    if (name != kQueueEndMarker) {
        Session().Log().AddEntry(TSearchLogKind::Computer, QStringLiteral("Computer %1 enqueued.").arg(name));
        Session().Progress().HostKnown(name);
    }
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
        // Exact text: the start, "Finishing search..." and "Search finished." lines frame
        // every search log; scripts and the tests wait for them.
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
        EnumerateHostList(root);
        break;
    case TSearchType::ExcludedComputers:
        BuildComputerMasks(list);
        EnumerateHostList(root);
        break;
    case TSearchType::SpecifiedComputers:
        if (m_config.ResList.contains(u'*') || m_config.ResList.contains(u'?')) {
            BuildComputerMasks(list);
            EnumerateHostList(root);
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

void TQueueThread::HandleServer(const QString& name, const QString& otherName)
{
    const bool matches = MatchesMask(name) || (!otherName.isEmpty() && MatchesMask(otherName));
    const bool skipped = (m_config.SearchMethod == TSearchType::ExcludedComputers && matches) ||
                         (m_config.SearchMethod == TSearchType::SpecifiedComputers && !matches);
    // Exact text: shows which computers an exclusion list left out; the browse
    // tests look for the line.
    if (skipped)
        Session().Log().AddEntry(TSearchLogKind::Info,
                                 QStringLiteral("Computer ") + name + QStringLiteral(" skipped"));
    else
        EnqueueComputer(name);
}

bool TQueueThread::DiscoveryServes(const TNetResource* root)
{
    if (!root)
        return true;
    // A provider holds every group; a single computer or share is browsed as it is.
    return root->DisplayType == kResourceDisplayTypeDomain ||
           root->DisplayType == kResourceDisplayTypeGroup ||
           root->DisplayType == kResourceDisplayTypeNetwork || root->DisplayType == kResourceDisplayTypeRoot;
}

void TQueueThread::EnumerateHostList(const TNetResource* root)
{
    // A computer chosen in the scope browser is itself the list.
    if (root && root->DisplayType == kResourceDisplayTypeServer) {
        HandleServer(root->RemoteName,
                     root->Comment.isEmpty() ? QString() : QStringLiteral("\\\\") + root->Comment);
        return;
    }
    // WS-Discovery and DNS-SD listen while the NetBIOS browse runs, so the union
    // costs no more than the slower of them.
    std::future<std::vector<TFoundHost>> discovered;
    const int window = Session().Discovery().DiscoveryWindow;
    if (m_services.Discovery && window > 0 && DiscoveryServes(root)) {
        const bool ftp =
            m_config.FtpSearchMode == TFtpMode::SharesAndFtp || m_config.FtpSearchMode == TFtpMode::FtpOnly;
        discovered = std::async(std::launch::async, [discovery = m_services.Discovery, window, ftp,
                                                     stop = Session().StopToken()] {
            return discovery->discover(std::chrono::milliseconds(window), ftp, stop);
        });
    }
    m_browseFailed = false;
    // A group that only multicast discovery knows is not asked of the NetBIOS browse.
    if (!root || root->Provider != kDiscoveryProvider)
        EnumerateResource(root);
    if (!discovered.valid())
        return;

    std::vector<TFoundHost> hosts;
    try {
        hosts = discovered.get();
    } catch (const std::exception& error) {
        Session().Log().AddEntry(TSearchLogKind::Error, QStringLiteral("Multicast host discovery failed: ") +
                                                            ExceptionMessage(error));
    }
    const bool grouped = root && (root->DisplayType == kResourceDisplayTypeDomain ||
                                  root->DisplayType == kResourceDisplayTypeGroup);
    std::vector<size_t> added;
    for (const TFoundHost& host : hosts) {
        if (grouped && host.Group.compare(root->RemoteName, Qt::CaseInsensitive) != 0)
            continue;
        const auto [index, isNew] = m_hostList.Add(host);
        if (isNew)
            added.push_back(index);
    }
    const int netBios = m_hostList.CountFrom(THostSource::NetBios);
    const int wsd = m_hostList.CountFrom(THostSource::WsDiscovery);
    const int dnsSd = m_hostList.CountFrom(THostSource::DnsSd);
    // Exact text: users compare these counts across runs; the discovery tests match them.
    Session().Log().AddEntry(
        TSearchLogKind::Info,
        QStringLiteral("Computers found: NetBIOS browse list %1, WS-Discovery %2, DNS-SD %3 "
                       "(%4 computers in all).")
            .arg(netBios)
            .arg(wsd)
            .arg(dnsSd)
            .arg(m_hostList.Hosts().size()));
    if (m_browseFailed && !added.empty()) {
        uint8_t answered = 0;
        for (size_t index : added)
            answered |= m_hostList.Hosts()[index].Sources;
        Session().Log().AddEntry(
            TSearchLogKind::Info,
            QStringLiteral("The NetBIOS browse list could not be read; the search goes on "
                           "with the %1 computers found by %2.")
                .arg(added.size())
                .arg(HostSourceNames(answered)));
    }
    for (size_t index : added) {
        if (Session().StopRequested())
            break;
        const TFoundHost& host = m_hostList.Hosts()[index];
        const QString name = HostConnectName(host);
        // Exact text: how users learn where a computer came from; the discovery
        // tests look for these lines.
        Session().Log().AddEntry(TSearchLogKind::Scope,
                                 QStringLiteral("Computer %1 (%2) found by %3.")
                                     .arg(host.Name.isEmpty() ? host.Address : host.Name, host.Address,
                                          HostSourceNames(host.Sources)));
        HandleServer(name, host.Name.isEmpty() ? QString() : QStringLiteral("\\\\") + host.Name);
    }
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
        m_browseFailed = true;
        // Exact text: browse failures are reported, looked up and tested by their wording.
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
        // Exact text: the queue tests compare this line with the browser's error.
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
            m_hostList.Add({QString(), entry.RemoteName.mid(2), QString(), uint8_t(THostSource::NetBios)});
            HandleServer(entry.RemoteName);
        }
        if (result == EnumResult::NoMoreItems)
            break;
    }
}

QString IcmpUnavailableMessage(bool otherMethods)
{
    // Exact text: the log names what to change so ICMP can be used; README quotes it.
    const QString reason = QStringLiteral(
        "ICMP echo needs a raw socket (the CAP_NET_RAW capability, e.g. setcap cap_net_raw+ep on "
        "the program) or a ping socket allowed by net.ipv4.ping_group_range, and this process has "
        "neither");
    return reason + (otherMethods
                         ? QStringLiteral("; using the other methods.")
                         : QStringLiteral("; no other method is chosen, so no address can be checked."));
}

void TQueueThread::SearchIpRanges(const QStringList& list)
{
    m_checkerCount.store(0);
    bool told = false;
    for (const QString& entry : list) {
        uint32_t first = 0;
        uint32_t last = 0;
        if (!ParseIPRange(entry, first, last, &Session().Log()))
            continue;
        if (!told && m_services.HostChecker) {
            told = true;
            const TDiscoveryMethods methods = Session().Discovery().Methods;
            if (methods.Contains(TDiscoveryMethod::ICMP) && !m_services.HostChecker->icmpAvailable())
                Session().Log().AddEntry(TSearchLogKind::Error, IcmpUnavailableMessage(methods.Count() > 1));
            if (!m_services.HostChecker->available())
                Session().Log().AddEntry(TSearchLogKind::Error,
                                         QStringLiteral("No host probe could open its socket; the addresses "
                                                        "cannot be checked."));
        }
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

int TQueueThread::ProbesPerCheck() const
{
    return std::max(1, Session().Discovery().Methods.Count());
}

void TQueueThread::StartHostCheck(uint32_t address)
{
    // The limit counts probes in flight: each method of a check is one.
    const int probes = ProbesPerCheck();
    m_checkerCount.fetch_add(probes);
    Session().Progress().SetState(QStringLiteral("\\\\") + IpToText(address), THostState::Probing);
    TDiscoveryOptions options = Session().Discovery();
    options.ProbeFtpPort =
        m_config.FtpSearchMode == TFtpMode::SharesAndFtp || m_config.FtpSearchMode == TFtpMode::FtpOnly;
    try {
        m_services.HostChecker->start(
            address, options, Session().StopToken(),
            [this, address](const THostCheckResult& result) { HostCheckerTerminated(address, result); });
    } catch (...) {
        m_checkerCount.fetch_sub(probes);
        throw;
    }
}

void TQueueThread::HostCheckerTerminated(uint32_t address, const THostCheckResult& result)
{
    // The name goes on the queue before the count falls: the queue thread queues the
    // end marker as soon as the count reaches 0, and the name must come before it.
    const QString probed = QStringLiteral("\\\\") + IpToText(address);
    if (result.resultCode == 1) {
        const bool named = Session().Discovery().ResolveAddress && !result.hostName.isEmpty();
        const QString host = named ? QStringLiteral("\\\\") + result.hostName : probed;
        Session().Progress().HostRenamed(probed, host);
        Session().Progress().SetState(host, THostState::Waiting);
        EnqueueComputer(host);
    } else {
        Session().Progress().SetState(probed, THostState::NoAnswer);
    }
    m_checkerCount.fetch_sub(ProbesPerCheck());
    Session().Signal().Notify();
}

void TQueueThread::WaitForCheckers()
{
    Session().Signal().WaitUntil([this] { return m_checkerCount.load() == 0; }, kCheckerPause);
}
