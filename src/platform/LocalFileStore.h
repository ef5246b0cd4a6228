#pragma once

#include "platform/FileStore.h"

// The local file system through POSIX calls. Renames never replace a file by
// accident: without replace they use renameat2(RENAME_NOREPLACE), so a file that
// appears at the target in the meantime is not lost either.
class LocalFileStore : public FileStore {
public:
    PlatformError stat(const QString& path, FileStoreStat& stat) override;
    PlatformError list(const QString& folder, std::vector<FileStoreEntry>& entries) override;
    Result<std::unique_ptr<ByteSource>> openRead(const QString& path) override;
    Result<std::unique_ptr<FileStoreWriter>> create(const QString& path, bool exclusive) override;
    PlatformError removeFile(const QString& path) override;
    PlatformError makeFolder(const QString& path) override;
    PlatformError removeFolder(const QString& path) override;
    PlatformError rename(const QString& path, const QString& newPath, bool replace) override;
};
