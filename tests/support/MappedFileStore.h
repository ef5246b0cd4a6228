#pragma once

#include "platform/LocalFileStore.h"

// Stands in for the network store: a UNC path \\HOST\share\dir\name is the local
// file root/HOST/share/dir/name. Lets file operations on share paths run against
// temporary folders.
class MappedFileStore : public FileStore {
public:
    explicit MappedFileStore(const QString& root) : m_root(root) {}

    // The local path behind a UNC path.
    QString localPath(const QString& unc) const;

    PlatformError stat(const QString& path, FileStoreStat& stat) override;
    PlatformError list(const QString& folder, std::vector<FileStoreEntry>& entries) override;
    Result<std::unique_ptr<ByteSource>> openRead(const QString& path) override;
    Result<std::unique_ptr<FileStoreWriter>> create(const QString& path, bool exclusive) override;
    PlatformError removeFile(const QString& path) override;
    PlatformError makeFolder(const QString& path) override;
    PlatformError removeFolder(const QString& path) override;
    PlatformError rename(const QString& path, const QString& newPath, bool replace) override;

private:
    QString m_root;
    LocalFileStore m_local;
};
