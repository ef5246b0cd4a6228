#include "support/engine/FakeShareNetwork.h"

#include "support/MemoryByteSource.h"

#include <algorithm>
#include <cerrno>

namespace {

QString ParentOf(const QString& path)
{
    return path.left(path.lastIndexOf(u'\\'));
}

QString NameOf(const QString& path)
{
    return path.mid(path.lastIndexOf(u'\\') + 1);
}

// \\HOST\share is the root of a tree: it has no parent entry.
bool IsShareRoot(const QString& path)
{
    return path.count(u'\\') == 3;
}

bool IsAtOrBelow(const QString& path, const QString& base)
{
    return path == base || path.startsWith(base + u'\\');
}

PlatformError Errno(int code)
{
    return PlatformError::fromErrno(code);
}

} // namespace

void FakeShareNetwork::addShare(const QString& host, const QString& name, ShareType type,
                                const QString& comment)
{
    std::lock_guard lock(m_mutex);
    m_shares[host].push_back({name, type, comment});
    if (type == ShareType::Disk)
        ensureFolder(host + u'\\' + name);
}

void FakeShareNetwork::failShareList(const QString& host, int code, const QString& message)
{
    std::lock_guard lock(m_mutex);
    m_shareListErrors[host] = PlatformError{code, message};
}

FakeShareNetwork::Node& FakeShareNetwork::ensureFolder(const QString& path)
{
    auto found = m_nodes.find(path);
    if (found != m_nodes.end())
        return found->second;
    Node node;
    node.entry.name = NameOf(path);
    node.entry.attributes = 0x10;
    node.entry.writeTime = 1'600'000'000;
    addChild(path, std::move(node));
    return m_nodes[path];
}

void FakeShareNetwork::addChild(const QString& path, Node node)
{
    if (!IsShareRoot(path)) {
        auto& children = ensureFolder(ParentOf(path)).children;
        if (std::find(children.begin(), children.end(), path) == children.end())
            children.push_back(path);
    }
    auto& slot = m_nodes[path];
    node.children = std::move(slot.children);
    slot = std::move(node);
}

void FakeShareNetwork::addFile(const QString& path, const QByteArray& content, uint32_t attributes,
                               int64_t writeTime, std::optional<int64_t> size)
{
    std::lock_guard lock(m_mutex);
    Node node;
    node.entry = {NameOf(path), attributes, size.value_or(content.size()), writeTime};
    node.content = content;
    addChild(path, std::move(node));
}

void FakeShareNetwork::addFolder(const QString& path, uint32_t attributes, int64_t writeTime)
{
    std::lock_guard lock(m_mutex);
    Node node;
    node.entry = {NameOf(path), attributes | 0x10, 0, writeTime};
    addChild(path, std::move(node));
}

void FakeShareNetwork::linkFolder(const QString& path, const QString& target, int64_t writeTime)
{
    std::lock_guard lock(m_mutex);
    Node node;
    node.entry = {NameOf(path), 0x10, 0, writeTime};
    node.linkTarget = target;
    addChild(path, std::move(node));
}

void FakeShareNetwork::failList(const QString& path, int code, const QString& message)
{
    std::lock_guard lock(m_mutex);
    m_listErrors[path] = PlatformError{code, message};
}

void FakeShareNetwork::acceptCredentials(const QString& path, std::optional<QString> user,
                                         std::optional<QString> password)
{
    std::lock_guard lock(m_mutex);
    m_credentials[path].emplace_back(std::move(user), std::move(password));
}

void FakeShareNetwork::protectShare(const QString& sharePath)
{
    std::lock_guard lock(m_mutex);
    m_protected.push_back(sharePath);
}

void FakeShareNetwork::onListFolder(std::function<void(const QString&)> hook)
{
    std::lock_guard lock(m_mutex);
    m_listHook = std::move(hook);
}

void FakeShareNetwork::onListShares(std::function<void(const QString&)> hook)
{
    std::lock_guard lock(m_mutex);
    m_shareListHook = std::move(hook);
}

std::vector<FakeShareNetwork::ConnectAttempt> FakeShareNetwork::connectAttempts()
{
    std::lock_guard lock(m_mutex);
    return m_attempts;
}

std::vector<QString> FakeShareNetwork::cancelledConnections()
{
    std::lock_guard lock(m_mutex);
    return m_cancelled;
}

std::vector<QString> FakeShareNetwork::listedFolders()
{
    std::lock_guard lock(m_mutex);
    return m_listed;
}

std::vector<QString> FakeShareNetwork::openedFiles()
{
    std::lock_guard lock(m_mutex);
    return m_opened;
}

std::vector<QString> FakeShareNetwork::prefetchHints()
{
    std::lock_guard lock(m_mutex);
    return m_prefetched;
}

void FakeShareNetwork::prefetchFolder(const QString& folder)
{
    std::lock_guard lock(m_mutex);
    m_prefetched.push_back(folder);
}

std::vector<QString> FakeShareNetwork::shareListings()
{
    std::lock_guard lock(m_mutex);
    return m_shareListings;
}

QString FakeShareNetwork::resolve(const QString& path) const
{
    QString resolved = path;
    for (int round = 0; round < 100; ++round) {
        bool changed = false;
        for (const auto& [nodePath, node] : m_nodes) {
            if (!node.linkTarget.isEmpty() && IsAtOrBelow(resolved, nodePath)) {
                resolved = node.linkTarget + resolved.mid(nodePath.size());
                changed = true;
                break;
            }
        }
        if (!changed)
            break;
    }
    return resolved;
}

Result<std::vector<ShareInfo>> FakeShareNetwork::listShares(const QString& host)
{
    std::function<void(const QString&)> hook;
    {
        std::lock_guard lock(m_mutex);
        m_shareListings.push_back(host);
        hook = m_shareListHook;
    }
    if (hook)
        hook(host);
    std::lock_guard lock(m_mutex);
    if (auto error = m_shareListErrors.find(host); error != m_shareListErrors.end())
        return error->second;
    auto found = m_shares.find(host);
    if (found == m_shares.end())
        return Errno(EHOSTUNREACH);
    return found->second;
}

Result<void> FakeShareNetwork::connect(const QString& path, const std::optional<QString>& user,
                                       const std::optional<QString>& password)
{
    std::lock_guard lock(m_mutex);
    const auto& accepted = m_credentials[path];
    const bool ok =
        std::find(accepted.begin(), accepted.end(), std::make_pair(user, password)) != accepted.end();
    m_attempts.push_back({path, user, password, ok});
    if (!ok)
        return Errno(EACCES);
    m_connected.push_back(path);
    return {};
}

void FakeShareNetwork::cancelConnection(const QString& path)
{
    std::lock_guard lock(m_mutex);
    m_cancelled.push_back(path);
    m_connected.erase(std::remove(m_connected.begin(), m_connected.end(), path), m_connected.end());
}

Result<std::vector<ShareDirEntry>> FakeShareNetwork::listFolder(const QString& folder)
{
    std::function<void(const QString&)> hook;
    {
        std::lock_guard lock(m_mutex);
        m_listed.push_back(folder);
        hook = m_listHook;
    }
    if (hook)
        hook(folder);

    std::lock_guard lock(m_mutex);
    if (auto error = m_listErrors.find(folder); error != m_listErrors.end())
        return error->second;
    for (const QString& share : m_protected) {
        if (!IsAtOrBelow(folder, share))
            continue;
        const QString host = share.left(share.indexOf(u'\\', 2));
        if (std::find(m_connected.begin(), m_connected.end(), share) == m_connected.end() &&
            std::find(m_connected.begin(), m_connected.end(), host) == m_connected.end())
            return Errno(EACCES);
    }
    const QString resolved = resolve(folder);
    auto found = m_nodes.find(resolved);
    if (found == m_nodes.end())
        return Errno(ENOENT);
    if ((found->second.entry.attributes & 0x10) == 0)
        return Errno(ENOTDIR);
    std::vector<ShareDirEntry> entries;
    if (m_dotEntries) {
        ShareDirEntry self = found->second.entry;
        self.name = QStringLiteral(".");
        entries.push_back(self);
        const QString parent = IsShareRoot(folder) ? folder : resolve(ParentOf(folder));
        ShareDirEntry up = m_nodes[parent].entry;
        up.name = QStringLiteral("..");
        entries.push_back(up);
    }
    for (const QString& child : found->second.children)
        entries.push_back(m_nodes[child].entry);
    return entries;
}

Result<std::unique_ptr<ByteSource>> FakeShareNetwork::openFile(const QString& path)
{
    std::lock_guard lock(m_mutex);
    m_opened.push_back(path);
    auto found = m_nodes.find(resolve(path));
    if (found == m_nodes.end())
        return Errno(ENOENT);
    if (found->second.entry.attributes & 0x10)
        return Errno(EISDIR);
    return std::make_unique<MemoryByteSource>(found->second.content);
}

void FakeShareNetwork::answerWriteCheck(const QString& sharePath, Result<bool> answer)
{
    std::lock_guard lock(m_mutex);
    m_writeAnswers.insert_or_assign(sharePath, std::move(answer));
}

Result<bool> FakeShareNetwork::writeAccess(const QString& share)
{
    std::lock_guard lock(m_mutex);
    m_writeChecks.push_back(share);
    const auto found = m_writeAnswers.find(share);
    return found != m_writeAnswers.end() ? found->second : Result<bool>(false);
}

std::vector<QString> FakeShareNetwork::writeChecks()
{
    std::lock_guard lock(m_mutex);
    return m_writeChecks;
}
