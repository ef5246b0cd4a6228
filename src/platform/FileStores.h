#pragma once

#include "engine/ports/ShareClient.h"
#include "platform/FileStore.h"

#include <functional>
#include <memory>

// The store for a path: the network's shares for UNC paths, the local file system
// for everything else. The network store is made when first needed (it starts an
// SMB agent). Tests put their own stores in.
class FileStores {
public:
    using NetworkStoreFactory = std::function<std::unique_ptr<FileStore>()>;

    FileStores(std::unique_ptr<FileStore> local, NetworkStoreFactory network);
    // The local file system and an SmbFileStore with the given options and logon hook.
    static std::unique_ptr<FileStores>
    Standard(const std::function<bool()>& stopRequested,
             const std::function<void(ShareClient&, const QString&)>& logon);

    FileStore& storeFor(const QString& path);
    // Whether a rename can join the two paths (the same store; the caller still
    // meets EXDEV for other file systems or shares).
    bool sameStore(const QString& a, const QString& b) const;

private:
    std::unique_ptr<FileStore> m_local;
    NetworkStoreFactory m_makeNetwork;
    std::unique_ptr<FileStore> m_network;
};
