#include "support/ShareClientCalls.h"

namespace {

template <typename T> PlatformError Unpack(Result<T>&& result, T& out)
{
    out = result ? std::move(result).value() : T();
    return result.error();
}

} // namespace

PlatformError ListShares(ShareClient& client, const QString& host, std::vector<ShareInfo>& shares)
{
    return Unpack(client.listShares(host), shares);
}

PlatformError ListFolder(ShareClient& client, const QString& folder, std::vector<ShareDirEntry>& entries)
{
    return Unpack(client.listFolder(folder), entries);
}

PlatformError Connect(ShareClient& client, const QString& remotePath, const std::optional<QString>& user,
                      const std::optional<QString>& password)
{
    return client.connect(remotePath, user, password).error();
}

std::unique_ptr<ByteSource> OpenFile(ShareClient& client, const QString& path, PlatformError& error)
{
    std::unique_ptr<ByteSource> source;
    error = Unpack(client.openFile(path), source);
    return source;
}
