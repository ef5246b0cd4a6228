#include "platform/SmbShareClient.h"

#include "platform/SmbAgentProtocol.h"
#include "platform/SmbFileSource.h"
#include "platform/SmbFileWriter.h"
#include "platform/UncPath.h"

#include <algorithm>
#include <cerrno>
#include <pwd.h>
#include <unistd.h>

using namespace SmbAgentProtocol;

namespace {

constexpr uint16_t kSmbPort = 445;
// A probe of a host given by name resolves it first; the system resolver may
// take several seconds before it gives up on a silent DNS server.
constexpr int kResolveAllowanceMs = 15000;
// Bounds of the prefetch bookkeeping: folders noted ahead of the walk, and
// listings held for it (each a whole folder's entries).
constexpr size_t kMaxNotedFolders = 4096;
constexpr qsizetype kMaxPrefetchedListings = 64;

PlatformError invalidPath(const QString& path)
{
    return PlatformError{EINVAL, QStringLiteral("Invalid network path: %1").arg(path)};
}

PlatformError corruptedReply()
{
    return PlatformError{EPROTO, QStringLiteral("The SMB agent sent a corrupted reply")};
}

PlatformError parseFolderListing(const QByteArray& reply, std::vector<ShareDirEntry>& entries)
{
    PayloadReader in(reply);
    uint32_t count = in.u32();
    std::vector<ShareDirEntry> listed;
    listed.reserve(std::min<uint32_t>(count, 1u << 20));
    for (uint32_t i = 0; i < count && in.ok(); ++i) {
        ShareDirEntry entry;
        entry.name = in.string();
        entry.attributes = in.u32();
        entry.size = in.i64();
        entry.writeTime = in.i64();
        listed.push_back(std::move(entry));
    }
    if (!in.complete())
        return corruptedReply();
    entries = std::move(listed);
    return {};
}

// "No user" in a logon attempt means the name the process runs under.
QString currentUserName()
{
    if (passwd* entry = ::getpwuid(::geteuid()))
        return QString::fromLocal8Bit(entry->pw_name);
    return qEnvironmentVariable("USER");
}

} // namespace

SmbShareClient::SmbShareClient(const SmbAgentOptions& options)
    : m_agent(std::make_shared<SmbAgentProcess>(options))
{
}

SmbShareClient::~SmbShareClient() = default;

ShareType SmbShareClient::shareTypeFromSmbc(uint32_t smbcType)
{
    switch (smbcType) {
    case kSmbcFileShare:
        return ShareType::Disk;
    case kSmbcPrinterShare:
        return ShareType::Printer;
    case kSmbcCommsShare:
        return ShareType::Comms;
    case kSmbcIpcShare:
        return ShareType::Ipc;
    default:
        return ShareType::Other;
    }
}

PlatformError SmbShareClient::checkHost(const QString& host)
{
    QString key = host.toLower();
    if (auto found = m_probedHosts.constFind(key); found != m_probedHosts.constEnd())
        return *found;
    QByteArray reply;
    PlatformError error = m_agent->call(PayloadWriter(MessageType::Probe)
                                            .string(host)
                                            .u16(kSmbPort)
                                            .u32(uint32_t(m_agent->options().probeTimeoutMs))
                                            .payload(),
                                        reply, m_agent->options().probeTimeoutMs + kResolveAllowanceMs);
    // A failed call (stop, dead agent) says nothing about the host: not cached.
    if (error.failed())
        return error;
    PayloadReader in(reply);
    int32_t result = in.i32();
    if (!in.complete())
        return corruptedReply();
    PlatformError outcome;
    // A name only NetBIOS knows cannot be probed; libsmbclient resolves it itself.
    if (result != 0 && result != kProbeUnresolved) {
        outcome = PlatformError::fromErrno(result);
        outcome.message = QStringLiteral("%1 (SMB port of %2)").arg(outcome.message, host);
    }
    m_probedHosts.insert(key, outcome);
    return outcome;
}

PlatformError SmbShareClient::listShares(const QString& host, std::vector<ShareInfo>& shares)
{
    shares.clear();
    auto path = UncPath::parse(host);
    if (!path)
        return invalidPath(host);
    if (PlatformError error = checkHost(path->host()); error.failed())
        return error;
    QByteArray reply;
    PlatformError error = m_agent->call(
        PayloadWriter(MessageType::ListEntries).string(path->hostPath().toUrl()).payload(), reply);
    if (error.failed())
        return error;
    PayloadReader in(reply);
    uint32_t count = in.u32();
    std::vector<ShareInfo> listed;
    for (uint32_t i = 0; i < count && in.ok(); ++i) {
        ShareInfo share;
        share.name = in.string();
        share.type = shareTypeFromSmbc(in.u32());
        in.bytes(); // comment
        listed.push_back(share);
    }
    if (!in.complete())
        return corruptedReply();
    shares = std::move(listed);
    return {};
}

PlatformError SmbShareClient::connect(const QString& remotePath, const std::optional<QString>& user,
                                      const std::optional<QString>& password)
{
    auto path = UncPath::parse(remotePath);
    if (!path || !path->components().isEmpty())
        return invalidPath(remotePath);
    if (PlatformError error = checkHost(path->host()); error.failed())
        return error;
    QString userName = user.value_or(currentUserName());
    QString workgroup;
    // Accounts may be written DOMAIN\user.
    if (qsizetype separator = userName.indexOf(QLatin1Char('\\')); separator > 0) {
        workgroup = userName.left(separator);
        userName = userName.mid(separator + 1);
    }
    QByteArray request = PayloadWriter(MessageType::Connect)
                             .string(path->toUrl())
                             .string(path->host())
                             .string(path->share())
                             .string(userName)
                             .string(password.value_or(QString()))
                             .string(workgroup)
                             .payload();
    QByteArray reply;
    PlatformError error = m_agent->call(request, reply);
    if (!error.failed() && m_agent->options().prefetchAgents > 0)
        m_credentialLog.push_back(request);
    return error;
}

void SmbShareClient::cancelConnection(const QString& remotePath)
{
    auto path = UncPath::parse(remotePath);
    if (!path || m_agent->isDead())
        return;
    QByteArray request =
        PayloadWriter(MessageType::Cancel).string(path->host()).string(path->share()).payload();
    QByteArray reply;
    m_agent->call(request, reply);
    if (m_agent->options().prefetchAgents > 0)
        m_credentialLog.push_back(request);
}

PlatformError SmbShareClient::listFolder(const QString& folder, std::vector<ShareDirEntry>& entries)
{
    entries.clear();
    auto path = UncPath::parse(folder);
    if (!path || path->isHost())
        return invalidPath(folder);
    if (PlatformError error = checkHost(path->host()); error.failed())
        return error;
    if (PlatformError error; takePrefetched(path->toUnc(), entries, error))
        return error;
    QByteArray reply;
    PlatformError error =
        m_agent->call(PayloadWriter(MessageType::ListFolder).string(path->toUrl()).payload(), reply);
    if (error.failed())
        return error;
    return parseFolderListing(reply, entries);
}

SmbShareClient::Helper* SmbShareClient::idleHelper()
{
    for (Helper& helper : m_helpers)
        if (helper.pendingFolder.isEmpty() && !helper.agent->isDead())
            return &helper;
    if (int(m_helpers.size()) >= m_agent->options().prefetchAgents)
        return nullptr;
    SmbAgentOptions options = m_agent->options();
    options.prefetchAgents = 0;
    m_helpers.push_back(Helper{std::make_unique<SmbAgentProcess>(options), 0, QString()});
    return &m_helpers.back();
}

void SmbShareClient::prefetchFolder(const QString& folder)
{
    if (m_agent->options().prefetchAgents <= 0)
        return;
    auto path = UncPath::parse(folder);
    if (!path || path->isHost())
        return;
    // Only hosts already probed and found open: a dead host is not worth a helper.
    auto probed = m_probedHosts.constFind(path->host().toLower());
    if (probed == m_probedHosts.constEnd() || probed->failed())
        return;
    QString unc = path->toUnc();
    m_noted.erase(std::remove(m_noted.begin(), m_noted.end(), unc), m_noted.end());
    m_noted.push_back(unc);
    // The oldest notes are the ones needed last: they are listed directly then.
    if (m_noted.size() > kMaxNotedFolders)
        m_noted.erase(m_noted.begin(), m_noted.begin() + qsizetype(m_noted.size() - kMaxNotedFolders));
    collectReplies();
    dispatchNoted();
}

void SmbShareClient::collectReply(Helper& helper)
{
    QByteArray reply;
    PlatformError error = helper.agent->receive(reply);
    m_prefetched.insert(helper.pendingFolder, Prefetched{error, reply});
    helper.pendingFolder.clear();
}

void SmbShareClient::collectReplies()
{
    for (Helper& helper : m_helpers)
        if (!helper.pendingFolder.isEmpty() && helper.agent->replyReady())
            collectReply(helper);
}

void SmbShareClient::dispatchNoted()
{
    while (!m_noted.empty() && m_prefetched.size() < kMaxPrefetchedListings) {
        const QString unc = m_noted.back();
        bool known = m_prefetched.contains(unc);
        for (const Helper& helper : m_helpers)
            known = known || helper.pendingFolder == unc;
        if (known) {
            m_noted.pop_back();
            continue;
        }
        Helper* helper = idleHelper();
        if (!helper)
            return;
        for (; helper->replayed < m_credentialLog.size(); ++helper->replayed) {
            QByteArray reply;
            helper->agent->call(m_credentialLog[helper->replayed], reply);
        }
        QString url = UncPath::parse(unc)->toUrl();
        m_noted.pop_back();
        if (helper->agent->send(PayloadWriter(MessageType::ListFolder).string(url).payload()).failed())
            continue; // that helper is dead now: the folder is listed directly
        helper->pendingFolder = unc;
    }
}

bool SmbShareClient::takePrefetched(const QString& folder, std::vector<ShareDirEntry>& entries,
                                    PlatformError& error)
{
    if (m_helpers.empty() && m_noted.empty())
        return false;
    // Asked for now: no helper needs to start on it any more.
    m_noted.erase(std::remove(m_noted.begin(), m_noted.end(), folder), m_noted.end());
    collectReplies();
    dispatchNoted();
    if (!m_prefetched.contains(folder)) {
        for (Helper& helper : m_helpers)
            if (helper.pendingFolder == folder)
                collectReply(helper);
    }
    auto found = m_prefetched.find(folder);
    if (found == m_prefetched.end())
        return false;
    const Prefetched prefetched = found.value();
    m_prefetched.erase(found);
    error = prefetched.error;
    if (!error.failed())
        error = parseFolderListing(prefetched.reply, entries);
    // The helper that waited is free again.
    dispatchNoted();
    if (!error.failed()) {
        ++m_prefetchedListings;
        return true;
    }
    // A stop holds for the main agent as well; any other failure is
    // confirmed (or not) by the main agent itself.
    return error.code == ECANCELED;
}

std::unique_ptr<ByteSource> SmbShareClient::openFile(const QString& filePath, PlatformError& error)
{
    auto path = UncPath::parse(filePath);
    if (!path || path->components().isEmpty()) {
        error = invalidPath(filePath);
        return nullptr;
    }
    error = checkHost(path->host());
    if (error.failed())
        return nullptr;
    QByteArray reply;
    error = m_agent->call(PayloadWriter(MessageType::OpenFile).string(path->toUrl()).payload(), reply);
    if (error.failed())
        return nullptr;
    PayloadReader in(reply);
    uint32_t handle = in.u32();
    int64_t size = in.i64();
    if (!in.complete()) {
        error = corruptedReply();
        return nullptr;
    }
    return std::make_unique<SmbFileSource>(m_agent, handle, size);
}

PlatformError SmbShareClient::reachFile(const QString& filePath, std::optional<UncPath>& parsed)
{
    parsed = UncPath::parse(filePath);
    if (!parsed || parsed->components().isEmpty())
        return invalidPath(filePath);
    return checkHost(parsed->host());
}

PlatformError SmbShareClient::simpleCall(const QByteArray& request)
{
    QByteArray reply;
    PlatformError error = m_agent->call(request, reply);
    if (!error.failed() && !PayloadReader(reply).complete())
        return corruptedReply();
    return error;
}

PlatformError SmbShareClient::stat(const QString& filePath, ShareFileStat& stat)
{
    std::optional<UncPath> path;
    if (PlatformError error = reachFile(filePath, path); error.failed())
        return error;
    QByteArray reply;
    if (PlatformError error = m_agent->call(PayloadWriter(MessageType::Stat).string(path->toUrl()).payload(), reply);
        error.failed())
        return error;
    PayloadReader in(reply);
    ShareFileStat result;
    result.folder = in.u8() != 0;
    result.size = in.i64();
    result.writeTime = in.i64();
    if (!in.complete())
        return corruptedReply();
    stat = result;
    return {};
}

PlatformError SmbShareClient::removeFile(const QString& filePath)
{
    std::optional<UncPath> path;
    if (PlatformError error = reachFile(filePath, path); error.failed())
        return error;
    return simpleCall(PayloadWriter(MessageType::RemoveFile).string(path->toUrl()).payload());
}

PlatformError SmbShareClient::makeFolder(const QString& folderPath)
{
    std::optional<UncPath> path;
    if (PlatformError error = reachFile(folderPath, path); error.failed())
        return error;
    return simpleCall(PayloadWriter(MessageType::MakeFolder).string(path->toUrl()).payload());
}

PlatformError SmbShareClient::removeFolder(const QString& folderPath)
{
    std::optional<UncPath> path;
    if (PlatformError error = reachFile(folderPath, path); error.failed())
        return error;
    return simpleCall(PayloadWriter(MessageType::RemoveFolder).string(path->toUrl()).payload());
}

PlatformError SmbShareClient::rename(const QString& filePath, const QString& newFilePath, bool replace)
{
    std::optional<UncPath> path;
    if (PlatformError error = reachFile(filePath, path); error.failed())
        return error;
    auto newPath = UncPath::parse(newFilePath);
    if (!newPath || newPath->components().isEmpty())
        return invalidPath(newFilePath);
    if (newPath->sharePath().toUnc().compare(path->sharePath().toUnc(), Qt::CaseInsensitive) != 0)
        return PlatformError::fromErrno(EXDEV);
    return simpleCall(PayloadWriter(MessageType::Rename)
                          .string(path->toUrl())
                          .string(newPath->toUrl())
                          .u8(replace ? 1 : 0)
                          .payload());
}

std::unique_ptr<SmbFileWriter> SmbShareClient::createFile(const QString& filePath, bool exclusive,
                                                          PlatformError& error)
{
    std::optional<UncPath> path;
    error = reachFile(filePath, path);
    if (error.failed())
        return nullptr;
    QByteArray reply;
    error = m_agent->call(
        PayloadWriter(MessageType::CreateFile).string(path->toUrl()).u8(exclusive ? 1 : 0).payload(), reply);
    if (error.failed())
        return nullptr;
    PayloadReader in(reply);
    uint32_t handle = in.u32();
    if (!in.complete()) {
        error = corruptedReply();
        return nullptr;
    }
    return std::make_unique<SmbFileWriter>(m_agent, handle);
}

std::unique_ptr<ShareClient> SmbShareClientFactory::create(std::stop_token stop)
{
    SmbAgentOptions options = m_options;
    options.stop = std::move(stop);
    return std::make_unique<SmbShareClient>(options);
}
