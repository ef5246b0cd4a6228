#include "platform/FileStores.h"

#include "platform/LocalFileStore.h"
#include "platform/SmbFileStore.h"

FileStores::FileStores(std::unique_ptr<FileStore> local, NetworkStoreFactory network)
    : m_local(std::move(local)), m_makeNetwork(std::move(network))
{
}

std::unique_ptr<FileStores>
FileStores::Standard(const std::function<bool()>& stopRequested,
                     const std::function<void(ShareClient&, const QString&)>& logon)
{
    SmbAgentOptions options;
    options.stopRequested = stopRequested;
    return std::make_unique<FileStores>(std::make_unique<LocalFileStore>(), [options, logon] {
        return std::make_unique<SmbFileStore>(options, logon);
    });
}

FileStore& FileStores::storeFor(const QString& path)
{
    if (!FileStorePath::IsUnc(path))
        return *m_local;
    if (!m_network)
        m_network = m_makeNetwork();
    return *m_network;
}

bool FileStores::sameStore(const QString& a, const QString& b) const
{
    return FileStorePath::IsUnc(a) == FileStorePath::IsUnc(b);
}
