#include "engine/WorkerThread.h"

#include "engine/EngineErrorReporter.h"
#include "engine/FolderWalk.h"
#include "engine/HitIconProvider.h"
#include "engine/HitSink.h"
#include "engine/SearchLog.h"
#include "engine/ports/ShareClient.h"
#include "model/DelimitedText.h"
#include "model/Error.h"
#include "model/StopFlag.h"

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

bool TWorkerThread::FileNameMatches(const QString& name) const
{
    return AnyMaskMatches(FFileMasks, name);
}

void TWorkerThread::DeliverHit(const TItemRecord& hit)
{
    FHit = hit;
    FHit.ImageIndex = -1;
    Synchronize([this] { AppendHit(); });
}

void TWorkerThread::AppendHit()
{
    FHit.ImageIndex = FServices.Icons ? FServices.Icons->IconIndex(IconRequestFor(FHit)) : -1;
    if (FServices.Hits)
        FServices.Hits->AppendHit(FHit);
}

void TWorkerThread::Execute()
{
    try {
        FFileMasks = BuildFileMasks(FConfig.FileMasks);
        FAccountMasks =
            BuildAccountMasks(FServices.Accounts ? FServices.Accounts() : std::vector<TUnicodeAccount>{});
        FFolderMasks = BuildFolderMasks(FConfig.FolderList);
        SetActivity(waConnecting, FHost);

        // Compared as unsigned, so negative modes search neither shares nor FTP.
        const auto mode = static_cast<uint32_t>(FConfig.FtpSearchMode);
        if (mode <= 1)
            SearchShares();
        if (mode == 1 || mode == 2) {
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
    const std::unique_ptr<ShareClient> client = FServices.ShareClients->create();
    TShareAccess access(*client, FAccountMasks, FConfig.HiddenResSearchMethod);

    QString userName;
    const bool hostLogon = access.LogonTo(FHost, userName);
    if (hostLogon)
        SearchLog.AddEntry(lkComputer, QStringLiteral("Logged to %1 as %2").arg(FHost, userName));
    ConnectionGuard hostConnection(access, FHost, hostLogon && FConfig.AutoUnmount);

    QStringList shares;
    if (!access.EnumHostShares(FHost, shares)) {
        SearchLog.AddEntry(lkComputer, QStringLiteral("No folders found on %1").arg(FHost));
        return;
    }
    SearchLog.AddEntry(lkComputer, QStringLiteral("Found %1 folders on %2: %3")
                                       .arg(QString::number(shares.size()), FHost, JoinCommaText(shares)));
    TFolderWalk walk(*client, *this, FFolderMasks);
    for (const QString& share : shares) {
        if (StopRequested())
            break;
        const QString path = FHost + u'\\' + share;
        QString shareUser;
        const bool shareLogon = access.LogonTo(path, shareUser);
        ConnectionGuard shareConnection(access, path, shareLogon && FConfig.AutoUnmount);
        walk.SearchFolder(path, 0);
    }
}
