#include "platform/SmbShareClient.h"

#include "model/LogCategories.h"
#include "platform/ShareWriteEvidence.h"
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

Result<std::vector<ShareDirEntry>> parseFolderListing(const QByteArray& reply)
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
    return listed;
}

// "No user" in a logon attempt means the name the process runs under.
QString currentUserName()
{
    passwd record{};
    passwd* entry = nullptr;
    char buffer[1024];
    if (::getpwuid_r(::geteuid(), &record, buffer, sizeof buffer, &entry) == 0 && entry)
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

Result<void> SmbShareClient::checkHost(const QString& host)
{
    QString key = host.toLower();
    if (auto found = m_probedHosts.constFind(key); found != m_probedHosts.constEnd())
        return *found;
    const Result<QByteArray> reply = m_agent->call(PayloadWriter(MessageType::Probe)
                                                       .string(host)
                                                       .u16(kSmbPort)
                                                       .u32(uint32_t(m_agent->options().probeTimeoutMs))
                                                       .payload(),
                                                   m_agent->options().probeTimeoutMs + kResolveAllowanceMs);
    // A failed call (stop, dead agent) says nothing about the host: not cached.
    if (!reply)
        return reply.error();
    PayloadReader in(reply.value());
    int32_t result = in.i32();
    if (!in.complete())
        return corruptedReply();
    PlatformError outcome;
    // A name only NetBIOS knows cannot be probed; libsmbclient resolves it itself.
    if (result != 0 && result != kProbeUnresolved) {
        outcome = PlatformError::fromErrno(result);
        outcome.message = QStringLiteral("%1 (SMB port of %2)").arg(outcome.message, host);
        qCDebug(kestrovaSmb) << "SMB port probe of" << host << "failed:" << outcome.code << outcome.message;
    }
    m_probedHosts.insert(key, outcome);
    return outcome;
}

Result<std::vector<ShareInfo>> SmbShareClient::listShares(const QString& host)
{
    auto path = UncPath::parse(host);
    if (!path)
        return invalidPath(host);
    if (Result<void> reached = checkHost(path->host()); !reached)
        return reached.error();
    const Result<QByteArray> reply =
        m_agent->call(PayloadWriter(MessageType::ListEntries).string(path->hostPath().toUrl()).payload());
    if (!reply)
        return reply.error();
    PayloadReader in(reply.value());
    uint32_t count = in.u32();
    std::vector<ShareInfo> listed;
    for (uint32_t i = 0; i < count && in.ok(); ++i) {
        ShareInfo share;
        share.name = in.string();
        share.type = shareTypeFromSmbc(in.u32());
        share.comment = in.string();
        listed.push_back(share);
    }
    if (!in.complete())
        return corruptedReply();
    return listed;
}

Result<void> SmbShareClient::connect(const QString& remotePath, const std::optional<QString>& user,
                                     const std::optional<QString>& password)
{
    auto path = UncPath::parse(remotePath);
    if (!path || !path->components().isEmpty())
        return invalidPath(remotePath);
    if (Result<void> reached = checkHost(path->host()); !reached)
        return reached;
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
    const Result<QByteArray> reply = m_agent->call(request);
    if (!reply)
        return reply.error();
    if (m_agent->options().prefetchAgents > 0)
        m_credentialLog.push_back(request);
    return {};
}

Result<bool> SmbShareClient::writeAccess(const QString& share)
{
    auto path = UncPath::parse(share);
    if (!path || path->isHost() || !path->components().isEmpty())
        return invalidPath(share);
    if (Result<void> reached = checkHost(path->host()); !reached)
        return reached.error();
    const Result<QByteArray> reply =
        m_agent->call(PayloadWriter(MessageType::WriteAccess).string(path->toUrl()).payload());
    if (!reply)
        return reply.error();
    PayloadReader in(reply.value());
    const uint8_t passed = in.u8();
    const QString descriptor = in.string();
    if (!in.complete() || passed > 1)
        return corruptedReply();
    // Both must say so: the server's own check of an open for writing (share-level
    // limits: Samba's "read only", Windows share permissions) and the folder's ACL.
    return passed == 1 && DescriptorGrantsWrite(descriptor);
}

void SmbShareClient::cancelConnection(const QString& remotePath)
{
    auto path = UncPath::parse(remotePath);
    if (!path || m_agent->isDead())
        return;
    QByteArray request =
        PayloadWriter(MessageType::Cancel).string(path->host()).string(path->share()).payload();
    // The outcome is of no use: the credentials are forgotten either way.
    (void)m_agent->call(request);
    if (m_agent->options().prefetchAgents > 0)
        m_credentialLog.push_back(request);
}

Result<std::vector<ShareDirEntry>> SmbShareClient::listFolder(const QString& folder)
{
    auto path = UncPath::parse(folder);
    if (!path || path->isHost())
        return invalidPath(folder);
    if (Result<void> reached = checkHost(path->host()); !reached)
        return reached.error();
    if (auto prefetched = takePrefetched(path->toUnc()))
        return std::move(*prefetched);
    const Result<QByteArray> reply =
        m_agent->call(PayloadWriter(MessageType::ListFolder).string(path->toUrl()).payload());
    if (!reply)
        return reply.error();
    return parseFolderListing(reply.value());
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
    const Result<QByteArray> reply = helper.agent->receive();
    m_prefetched.insert(helper.pendingFolder,
                        Prefetched{reply.error(), reply ? reply.value() : QByteArray()});
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
        // A replay that fails shows in the helper's listing, which the main agent then repeats.
        for (; helper->replayed < m_credentialLog.size(); ++helper->replayed)
            (void)helper->agent->call(m_credentialLog[helper->replayed]);
        QString url = UncPath::parse(unc)->toUrl();
        m_noted.pop_back();
        if (!helper->agent->send(PayloadWriter(MessageType::ListFolder).string(url).payload()))
            continue; // that helper is dead now: the folder is listed directly
        helper->pendingFolder = unc;
    }
}

std::optional<Result<std::vector<ShareDirEntry>>> SmbShareClient::takePrefetched(const QString& folder)
{
    if (m_helpers.empty() && m_noted.empty())
        return std::nullopt;
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
        return std::nullopt;
    const Prefetched prefetched = found.value();
    m_prefetched.erase(found);
    Result<std::vector<ShareDirEntry>> listing = prefetched.error.failed()
                                                     ? Result<std::vector<ShareDirEntry>>(prefetched.error)
                                                     : parseFolderListing(prefetched.reply);
    // The helper that waited is free again.
    dispatchNoted();
    if (listing) {
        ++m_prefetchedListings;
        return listing;
    }
    // A stop holds for the main agent as well; any other failure is
    // confirmed (or not) by the main agent itself.
    if (listing.error().code == ECANCELED)
        return listing;
    return std::nullopt;
}

Result<std::unique_ptr<ByteSource>> SmbShareClient::openFile(const QString& filePath)
{
    const Result<UncPath> path = reachFile(filePath);
    if (!path)
        return path.error();
    const Result<QByteArray> reply =
        m_agent->call(PayloadWriter(MessageType::OpenFile).string(path.value().toUrl()).payload());
    if (!reply)
        return reply.error();
    PayloadReader in(reply.value());
    uint32_t handle = in.u32();
    int64_t size = in.i64();
    if (!in.complete())
        return corruptedReply();
    return std::make_unique<SmbFileSource>(m_agent, handle, size);
}

Result<UncPath> SmbShareClient::reachFile(const QString& filePath)
{
    std::optional<UncPath> parsed = UncPath::parse(filePath);
    if (!parsed || parsed->components().isEmpty())
        return invalidPath(filePath);
    if (Result<void> reached = checkHost(parsed->host()); !reached)
        return reached.error();
    return std::move(*parsed);
}

PlatformError SmbShareClient::simpleCall(const QByteArray& request)
{
    const Result<QByteArray> reply = m_agent->call(request);
    if (!reply)
        return reply.error();
    if (!PayloadReader(reply.value()).complete())
        return corruptedReply();
    return {};
}

Result<ShareFileStat> SmbShareClient::stat(const QString& filePath)
{
    const Result<UncPath> path = reachFile(filePath);
    if (!path)
        return path.error();
    const Result<QByteArray> reply =
        m_agent->call(PayloadWriter(MessageType::Stat).string(path.value().toUrl()).payload());
    if (!reply)
        return reply.error();
    PayloadReader in(reply.value());
    ShareFileStat result;
    result.folder = in.u8() != 0;
    result.size = in.i64();
    result.writeTime = in.i64();
    if (!in.complete())
        return corruptedReply();
    return result;
}

PlatformError SmbShareClient::removeFile(const QString& filePath)
{
    const Result<UncPath> path = reachFile(filePath);
    if (!path)
        return path.error();
    return simpleCall(PayloadWriter(MessageType::RemoveFile).string(path.value().toUrl()).payload());
}

PlatformError SmbShareClient::makeFolder(const QString& folderPath)
{
    const Result<UncPath> path = reachFile(folderPath);
    if (!path)
        return path.error();
    return simpleCall(PayloadWriter(MessageType::MakeFolder).string(path.value().toUrl()).payload());
}

PlatformError SmbShareClient::removeFolder(const QString& folderPath)
{
    const Result<UncPath> path = reachFile(folderPath);
    if (!path)
        return path.error();
    return simpleCall(PayloadWriter(MessageType::RemoveFolder).string(path.value().toUrl()).payload());
}

PlatformError SmbShareClient::rename(const QString& filePath, const QString& newFilePath, bool replace)
{
    const Result<UncPath> path = reachFile(filePath);
    if (!path)
        return path.error();
    auto newPath = UncPath::parse(newFilePath);
    if (!newPath || newPath->components().isEmpty())
        return invalidPath(newFilePath);
    if (newPath->sharePath().toUnc().compare(path.value().sharePath().toUnc(), Qt::CaseInsensitive) != 0)
        return PlatformError::fromErrno(EXDEV);
    return simpleCall(PayloadWriter(MessageType::Rename)
                          .string(path.value().toUrl())
                          .string(newPath->toUrl())
                          .u8(replace ? 1 : 0)
                          .payload());
}

Result<std::unique_ptr<SmbFileWriter>> SmbShareClient::createFile(const QString& filePath, bool exclusive)
{
    const Result<UncPath> path = reachFile(filePath);
    if (!path)
        return path.error();
    const Result<QByteArray> reply = m_agent->call(
        PayloadWriter(MessageType::CreateFile).string(path.value().toUrl()).u8(exclusive ? 1 : 0).payload());
    if (!reply)
        return reply.error();
    PayloadReader in(reply.value());
    uint32_t handle = in.u32();
    if (!in.complete())
        return corruptedReply();
    return std::make_unique<SmbFileWriter>(m_agent, handle);
}

std::unique_ptr<ShareClient> SmbShareClientFactory::create(std::stop_token stop)
{
    SmbAgentOptions options = m_options;
    options.stop = std::move(stop);
    return std::make_unique<SmbShareClient>(options);
}
