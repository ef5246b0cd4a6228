#include "engine/WorkerThread.h"

#include "engine/EngineErrorReporter.h"
#include "engine/FolderWalk.h"
#include "engine/HitDelivery.h"
#include "engine/SearchSession.h"
#include "engine/ports/ShareClient.h"
#include "model/DelimitedText.h"
#include "model/Error.h"

#include <QCoreApplication>
#include <QFileInfo>

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
    : TEngineThread(*services.Dispatcher), FActivityText(host), FConfig(config), FHost(host),
      FServices(services)
{
}

TWorkerThread::~TWorkerThread() = default;

void TWorkerThread::GetActivity(TWorkerActivity& kind, QString& text) const
{
    std::lock_guard lock(FLock);
    kind = FActivityKind;
    text = FActivityText;
}

void TWorkerThread::SetActivity(TWorkerActivity kind, const QString& text)
{
    std::lock_guard lock(FLock);
    FActivityKind = kind;
    FActivityText = text;
}

std::stop_token TWorkerThread::StopToken() const
{
    return FServices.Session->StopToken();
}

void TWorkerThread::AddLogEntry(TSearchLogKind kind, const QString& text)
{
    FServices.Session->Log().AddEntry(kind, text);
}

bool TWorkerThread::FileNameMatches(const QString& name) const
{
    return AnyMaskMatches(FFileMasks, name);
}

void TWorkerThread::DeliverHit(const TItemRecord& hit)
{
    QueueHit(FServices, hit);
}

void TWorkerThread::Execute()
{
    try {
        FFileMasks = BuildFileMasks(FConfig.FileMasks);
        FAccountMasks = BuildAccountMasks(FServices.Session->Accounts());
        FFolderMasks = BuildFolderMasks(FConfig.FolderList);
        SetActivity(waConnecting, FHost);

        // An Unknown mode searches neither shares nor FTP.
        const TFtpMode mode = FConfig.FtpSearchMode;
        if (mode == TFtpMode::SharesOnly || mode == TFtpMode::SharesAndFtp)
            SearchShares();
        if (mode == TFtpMode::SharesAndFtp || mode == TFtpMode::FtpOnly) {
            SetActivity(waConnecting, FtpActivityText(FHost));
            if (FServices.FtpSearch)
                FServices.FtpSearch(FHost, *this);
        }
    } catch (const std::exception& error) {
        const QString message =
            QStringLiteral("Worker thread unhandled expception: ") + ExceptionMessage(error);
        ReportEngineError(FServices.Errors, message);
    }
}

void TWorkerThread::SearchShares()
{
    if (!FServices.ShareClients)
        RaiseError(QStringLiteral("No share client available"));
    const std::unique_ptr<ShareClient> client = FServices.ShareClients->create(StopToken());
    TShareAccess access(*client, FAccountMasks, FConfig.HiddenResSearchMethod);

    QString userName;
    const bool hostLogon = access.LogonTo(FHost, userName);
    if (hostLogon)
        AddLogEntry(TSearchLogKind::Computer, QStringLiteral("Logged to %1 as %2").arg(FHost, userName));
    ConnectionGuard hostConnection(access, FHost, hostLogon && FConfig.AutoUnmount);

    QStringList shares;
    if (!access.EnumHostShares(FHost, shares)) {
        AddLogEntry(TSearchLogKind::Computer, QStringLiteral("No folders found on %1").arg(FHost));
        return;
    }
    AddLogEntry(TSearchLogKind::Computer, QStringLiteral("Found %1 folders on %2: %3")
                                       .arg(QString::number(shares.size()), FHost, JoinCommaText(shares)));
    TFolderWalk walk(*client, *this, FFolderMasks);
    for (const QString& share : shares) {
        if (FServices.Session->StopRequested())
            break;
        const QString path = FHost + u'\\' + share;
        QString shareUser;
        const bool shareLogon = access.LogonTo(path, shareUser);
        ConnectionGuard shareConnection(access, path, shareLogon && FConfig.AutoUnmount);
        walk.SearchFolder(path, 0);
    }
}
