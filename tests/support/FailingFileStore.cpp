#include "support/FailingFileStore.h"

#include <cerrno>

namespace {

PlatformError Refused()
{
    return PlatformError::fromErrno(EACCES);
}

} // namespace

bool FailingFileStore::failing(const QString& path)
{
    const auto found = m_failures.find(path);
    if (found == m_failures.end() || found.value() <= 0)
        return false;
    --found.value();
    return true;
}

PlatformError FailingFileStore::stat(const QString& path, FileStoreStat& stat)
{
    return m_inner.stat(path, stat);
}

PlatformError FailingFileStore::list(const QString& folder, std::vector<FileStoreEntry>& entries)
{
    return failing(folder) ? Refused() : m_inner.list(folder, entries);
}

Result<std::unique_ptr<ByteSource>> FailingFileStore::openRead(const QString& path)
{
    if (failing(path))
        return Refused();
    return m_inner.openRead(path);
}

Result<std::unique_ptr<FileStoreWriter>> FailingFileStore::create(const QString& path, bool exclusive)
{
    if (failing(path))
        return Refused();
    return m_inner.create(path, exclusive);
}

PlatformError FailingFileStore::removeFile(const QString& path)
{
    removeCalls.append(path);
    return failing(path) ? Refused() : m_inner.removeFile(path);
}

PlatformError FailingFileStore::makeFolder(const QString& path)
{
    return failing(path) ? Refused() : m_inner.makeFolder(path);
}

PlatformError FailingFileStore::removeFolder(const QString& path)
{
    return failing(path) ? Refused() : m_inner.removeFolder(path);
}

PlatformError FailingFileStore::rename(const QString& path, const QString& newPath, bool replace)
{
    return failing(path) ? Refused() : m_inner.rename(path, newPath, replace);
}
