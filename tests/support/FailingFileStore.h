#pragma once

#include "platform/FileStore.h"

#include <QHash>
#include <QStringList>

// A store that passes every call to another one, except that chosen paths fail a
// given number of times (a file that is in use, a share that refuses) with EACCES.
// Records every removeFile call.
class FailingFileStore : public FileStore {
public:
    explicit FailingFileStore(FileStore& inner) : m_inner(inner) {}

    // The next `times` calls on path fail (any operation naming it as its first path).
    void failFor(const QString& path, int times = 1000000) { m_failures[path] = times; }

    PlatformError stat(const QString& path, FileStoreStat& stat) override;
    PlatformError list(const QString& folder, std::vector<FileStoreEntry>& entries) override;
    Result<std::unique_ptr<ByteSource>> openRead(const QString& path) override;
    Result<std::unique_ptr<FileStoreWriter>> create(const QString& path, bool exclusive) override;
    PlatformError removeFile(const QString& path) override;
    PlatformError makeFolder(const QString& path) override;
    PlatformError removeFolder(const QString& path) override;
    PlatformError rename(const QString& path, const QString& newPath, bool replace) override;

    QStringList removeCalls;

private:
    bool failing(const QString& path);

    FileStore& m_inner;
    QHash<QString, int> m_failures;
};
