#include "support/MappedFileStore.h"

QString MappedFileStore::localPath(const QString& unc) const
{
    QString rest = unc.mid(2);
    rest.replace(u'\\', u'/');
    return m_root + u'/' + rest;
}

PlatformError MappedFileStore::stat(const QString& path, FileStoreStat& stat)
{
    return m_local.stat(localPath(path), stat);
}

PlatformError MappedFileStore::list(const QString& folder, std::vector<FileStoreEntry>& entries)
{
    return m_local.list(localPath(folder), entries);
}

Result<std::unique_ptr<ByteSource>> MappedFileStore::openRead(const QString& path)
{
    return m_local.openRead(localPath(path));
}

Result<std::unique_ptr<FileStoreWriter>> MappedFileStore::create(const QString& path, bool exclusive)
{
    return m_local.create(localPath(path), exclusive);
}

PlatformError MappedFileStore::removeFile(const QString& path)
{
    return m_local.removeFile(localPath(path));
}

PlatformError MappedFileStore::makeFolder(const QString& path)
{
    return m_local.makeFolder(localPath(path));
}

PlatformError MappedFileStore::removeFolder(const QString& path)
{
    return m_local.removeFolder(localPath(path));
}

PlatformError MappedFileStore::rename(const QString& path, const QString& newPath, bool replace)
{
    return m_local.rename(localPath(path), localPath(newPath), replace);
}
