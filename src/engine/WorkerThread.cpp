#include "engine/WorkerThread.h"

#include "engine/EngineErrorReporter.h"
#include "engine/FolderWalk.h"
#include "engine/HitDelivery.h"
#include "engine/HostProgress.h"
#include "engine/SearchSession.h"
#include "engine/ports/ShareClient.h"
#include "model/DelimitedText.h"
#include "model/Error.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <cerrno>

namespace {

// Cancels a connection when the scope ends, also when an error or a stop leaves it.
class ConnectionGuard {
public:
    ConnectionGuard(TShareAccess& access, const QString& path, bool cancel)
        : m_access(access), m_path(path), m_cancel(cancel)
    {
    }
    ~ConnectionGuard()
    {
        if (!m_cancel)
            return;
        try {
            m_access.CancelConnection(m_path);
        } catch (const std::exception&) {
            // The outcome of a cancellation is ignored, and a destructor must not throw.
        }
    }
    ConnectionGuard(const ConnectionGuard&) = delete;
    ConnectionGuard& operator=(const ConnectionGuard&) = delete;

private:
    TShareAccess& m_access;
    const QString m_path;
    const bool m_cancel;
};

QString ProgramFolder()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget()).absolutePath();
}

} // namespace

QString FtpActivityText(const QString& host)
{
    QString text = host;
    if (text.startsWith(QStringLiteral("\\\\")))
        text.replace(0, 2, QStringLiteral("ftp://"));
    return text;
}

THitIconRequest IconRequestFor(const TItemRecord& hit)
{
    if (IsFolderItem(hit))
        return {ProgramFolder(), true, false};
    if (IsFtpItem(hit))
        return {ItemName(hit), false, true};
    return {hit.FileName, false, false};
}

TWorkerThread::TWorkerThread(const QString& host, const TThreadConfig& config,
                             const TSearchServices& services)
    : TEngineThread(*services.Dispatcher), m_activityText(host), m_config(config), m_host(host),
      m_services(services)
{
}

TWorkerThread::~TWorkerThread() = default;

void TWorkerThread::GetActivity(TWorkerActivity& kind, QString& text) const
{
    std::lock_guard lock(m_lock);
    kind = m_activityKind;
    text = m_activityText;
}

void TWorkerThread::SetActivity(TWorkerActivity kind, const QString& text)
{
    std::lock_guard lock(m_lock);
    m_activityKind = kind;
    m_activityText = text;
}

std::stop_token TWorkerThread::StopToken() const
{
    return m_services.Session->StopToken();
}

void TWorkerThread::AddLogEntry(TSearchLogKind kind, const QString& text)
{
    m_services.Session->Log().AddEntry(kind, text);
}

bool TWorkerThread::FileNameMatches(const QString& name) const
{
    return AnyMaskMatches(m_fileMasks, name);
}

void TWorkerThread::DeliverHit(const TItemRecord& hit)
{
    HandOverHeldHits(); // keeps the order of hits held before this one
    progress().HitFound(m_host);
    QueueHit(m_services, hit);
}

void TWorkerThread::HoldHit(const TItemRecord& hit)
{
    m_heldHits.push_back(hit);
}

void TWorkerThread::HandOverHeldHits()
{
    if (m_heldHits.empty())
        return;
    progress().HitFound(m_host, static_cast<int>(m_heldHits.size()));
    QueueHits(m_services, m_heldHits);
}

THostProgress& TWorkerThread::progress() const
{
    return m_services.Session->Progress();
}

void TWorkerThread::ShareReached(const QString& sharePath, TShareRights rights, const QString& error)
{
    const QString share = sharePath.mid(m_host.size() + 1);
    progress().ShareReached(m_host, share, rights, m_shareComments.value(share), error);
}

void TWorkerThread::CountBytesSearched(int64_t bytes)
{
    progress().BytesSearched(m_host, bytes);
}

void TWorkerThread::Execute()
{
    try {
        m_fileMasks = BuildFileMasks(m_config.FileMasks);
        m_accountMasks = BuildAccountMasks(m_services.Session->Accounts());
        m_folderMasks = BuildFolderMasks(m_config.FolderList);
        SetActivity(waConnecting, m_host);
        progress().SetState(m_host, THostState::Probing);

        // An Unknown mode searches neither shares nor FTP.
        const TFtpMode mode = m_config.FtpSearchMode;
        if (mode == TFtpMode::SharesOnly || mode == TFtpMode::SharesAndFtp)
            SearchShares();
        if (mode == TFtpMode::SharesAndFtp || mode == TFtpMode::FtpOnly) {
            SetActivity(waConnecting, FtpActivityText(m_host));
            progress().SetState(m_host, THostState::Searching);
            if (m_services.FtpSearch)
                m_services.FtpSearch(m_host, *this);
        }
        HandOverHeldHits();
        progress().HostFinished(m_host);
    } catch (const std::exception& error) {
        HandOverHeldHits(); // what was found before the failure still counts
        // Exact text, spelling included: users' log filters and the tests match this line.
        const QString message =
            QStringLiteral("Worker thread unhandled expception: ") + ExceptionMessage(error);
        ReportEngineError(m_services.Errors, message);
        progress().SetState(m_host, THostState::Done, message);
    }
}

void TWorkerThread::SearchShares()
{
    if (!m_services.ShareClients)
        RaiseError(QStringLiteral("No share client available"));
    const std::unique_ptr<ShareClient> client = m_services.ShareClients->create(StopToken());
    TShareAccess access(*client, m_accountMasks, m_config.HiddenResSearchMethod);

    // Exact text: the logon and share-list lines below are what users read to see how
    // far a host got; scripts and the tests match them.
    QString userName;
    const bool hostLogon = access.LogonTo(m_host, userName);
    if (hostLogon)
        AddLogEntry(TSearchLogKind::Computer, QStringLiteral("Logged to %1 as %2").arg(m_host, userName));
    ConnectionGuard hostConnection(access, m_host, hostLogon && m_config.AutoUnmount);

    QStringList shares;
    progress().SetState(m_host, THostState::ListingShares);
    if (!access.EnumHostShares(m_host, shares)) {
        // A host that never answered is not one that has nothing: the user may try it again.
        const PlatformError& failure = access.lastListFailure();
        progress().SetState(m_host, ShareListFailureState(failure.code), failure.message);
        if (failure.code == ETIMEDOUT)
            AddLogEntry(TSearchLogKind::Error,
                        QStringLiteral("No answer from %1 in time (%2)").arg(m_host, failure.message));
        else
            AddLogEntry(TSearchLogKind::Computer, QStringLiteral("No folders found on %1").arg(m_host));
        return;
    }
    m_shareComments = access.shareComments();
    AddLogEntry(TSearchLogKind::Computer,
                QStringLiteral("Found %1 folders on %2: %3")
                    .arg(QString::number(shares.size()), m_host, JoinCommaText(shares)));
    TFolderWalk walk(*client, *this, m_folderMasks);
    progress().SetState(m_host, THostState::Searching);
    for (const QString& share : shares) {
        if (m_services.Session->StopRequested())
            break;
        const QString path = m_host + u'\\' + share;
        QString shareUser;
        const bool shareLogon = access.LogonTo(path, shareUser);
        ConnectionGuard shareConnection(access, path, shareLogon && m_config.AutoUnmount);
        walk.SearchFolder(path, 0);
    }
}
