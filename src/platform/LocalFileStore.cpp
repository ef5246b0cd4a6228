#include "platform/LocalFileStore.h"

#include "platform/LocalFileSource.h"

#include <QFile>
#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray Native(const QString& path)
{
    return QFile::encodeName(path);
}

PlatformError LastError()
{
    return PlatformError::fromErrno(errno);
}

PlatformError OutcomeOf(int returned)
{
    return returned == 0 ? PlatformError{} : LastError();
}

class LocalFileWriter : public FileStoreWriter {
public:
    explicit LocalFileWriter(int descriptor) : m_descriptor(descriptor) {}
    ~LocalFileWriter() override
    {
        if (m_descriptor >= 0)
            ::close(m_descriptor);
    }
    LocalFileWriter(const LocalFileWriter&) = delete;
    LocalFileWriter& operator=(const LocalFileWriter&) = delete;

    PlatformError write(const char* data, int64_t length) override
    {
        int64_t done = 0;
        while (done < length) {
            const ssize_t put = ::write(m_descriptor, data + done, size_t(length - done));
            if (put < 0) {
                if (errno == EINTR)
                    continue;
                return LastError();
            }
            done += put;
        }
        return {};
    }

    PlatformError finish() override
    {
        // A full disk or a failing network file system may only show at fsync or close.
        PlatformError error;
        if (::fsync(m_descriptor) != 0 && errno != EINVAL && errno != EROFS)
            error = LastError();
        if (::close(m_descriptor) != 0 && !error.failed())
            error = LastError();
        m_descriptor = -1;
        return error;
    }

private:
    int m_descriptor;
};

} // namespace

PlatformError LocalFileStore::stat(const QString& path, FileStoreStat& stat)
{
    const QByteArray native = Native(path);
    struct stat status {};
    if (::lstat(native.constData(), &status) != 0)
        return LastError();
    stat = {};
    if (S_ISLNK(status.st_mode)) {
        stat.link = true;
        if (::stat(native.constData(), &status) != 0)
            return {}; // dangling: a link and nothing more
    }
    stat.folder = S_ISDIR(status.st_mode);
    stat.size = status.st_size;
    stat.writeTime = status.st_mtime;
    return {};
}

PlatformError LocalFileStore::list(const QString& folder, std::vector<FileStoreEntry>& entries)
{
    DIR* directory = ::opendir(Native(folder).constData());
    if (!directory)
        return LastError();
    std::vector<FileStoreEntry> listed;
    errno = 0;
    // readdir is safe here: glibc locks each stream, and this one is ours alone.
    while (const dirent* entry = ::readdir(directory)) { // NOLINT(concurrency-mt-unsafe)
        const QString name = QFile::decodeName(entry->d_name);
        if (name == u"." || name == u"..")
            continue;
        FileStoreEntry item;
        item.name = name;
        struct stat status {};
        if (::fstatat(::dirfd(directory), entry->d_name, &status, 0) == 0) {
            item.folder = S_ISDIR(status.st_mode);
            item.size = status.st_size;
        }
        listed.push_back(std::move(item));
        errno = 0;
    }
    const int error = errno;
    ::closedir(directory);
    if (error != 0)
        return PlatformError::fromErrno(error);
    entries = std::move(listed);
    return {};
}

Result<std::unique_ptr<ByteSource>> LocalFileStore::openRead(const QString& path)
{
    Result<std::unique_ptr<LocalFileSource>> opened = LocalFileSource::open(path);
    if (!opened)
        return opened.error();
    return std::move(opened).value();
}

Result<std::unique_ptr<FileStoreWriter>> LocalFileStore::create(const QString& path, bool exclusive)
{
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (exclusive ? O_EXCL : O_TRUNC);
    const int descriptor = ::open(Native(path).constData(), flags, 0666);
    if (descriptor < 0)
        return LastError();
    return std::make_unique<LocalFileWriter>(descriptor);
}

PlatformError LocalFileStore::removeFile(const QString& path)
{
    return OutcomeOf(::unlink(Native(path).constData()));
}

PlatformError LocalFileStore::makeFolder(const QString& path)
{
    return OutcomeOf(::mkdir(Native(path).constData(), 0777));
}

PlatformError LocalFileStore::removeFolder(const QString& path)
{
    return OutcomeOf(::rmdir(Native(path).constData()));
}

PlatformError LocalFileStore::rename(const QString& path, const QString& newPath, bool replace)
{
    const QByteArray from = Native(path);
    const QByteArray to = Native(newPath);
    if (replace)
        return OutcomeOf(::rename(from.constData(), to.constData()));
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return {};
    if (errno != EINVAL)
        return LastError();
    // A file system without RENAME_NOREPLACE: check first (racy, but never blind).
    struct stat status {};
    if (::lstat(to.constData(), &status) == 0)
        return PlatformError::fromErrno(EEXIST);
    return OutcomeOf(::rename(from.constData(), to.constData()));
}
