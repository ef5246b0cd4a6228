#include "platform/LocalFileSource.h"

#include "platform/LocalFileMapping.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

Result<std::unique_ptr<LocalFileSource>> LocalFileSource::open(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    // O_NONBLOCK keeps open() from waiting for a writer when the path is a FIFO;
    // such files are refused below anyway.
    int descriptor;
    do {
        descriptor = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    } while (descriptor < 0 && errno == EINTR);
    if (descriptor < 0)
        return PlatformError::fromErrno(errno);
    std::unique_ptr<LocalFileSource> source(new LocalFileSource(descriptor));

    struct stat status {};
    if (fstat(descriptor, &status) != 0)
        return PlatformError::fromErrno(errno);
    if (S_ISDIR(status.st_mode))
        return PlatformError::fromErrno(EISDIR);
    if (!S_ISREG(status.st_mode))
        return PlatformError{EINVAL, QStringLiteral("Not a regular file")};
    const int flags = fcntl(descriptor, F_GETFL);
    if (flags >= 0)
        fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK);
    // The content scan reads each file once from start to end.
    posix_fadvise(descriptor, 0, 0, POSIX_FADV_SEQUENTIAL);
    return source;
}

LocalFileSource::LocalFileSource(int descriptor) : m_descriptor(descriptor) {}

LocalFileSource::~LocalFileSource()
{
    ::close(m_descriptor);
}

int64_t LocalFileSource::size()
{
    struct stat status {};
    if (fstat(m_descriptor, &status) != 0) {
        m_lastError = PlatformError::fromErrno(errno);
        return -1;
    }
    return status.st_size;
}

int64_t LocalFileSource::read(int64_t offset, char* buffer, int64_t length)
{
    if (offset < 0 || length < 0) {
        m_lastError = PlatformError::fromErrno(EINVAL);
        return -1;
    }
    const size_t count = static_cast<size_t>(std::min<int64_t>(length, SSIZE_MAX));
    ssize_t got;
    do {
        got = pread(m_descriptor, buffer, count, offset);
    } while (got < 0 && errno == EINTR);
    if (got < 0) {
        m_lastError = PlatformError::fromErrno(errno);
        return -1;
    }
    return got;
}

std::unique_ptr<MappedBytes> LocalFileSource::map()
{
    struct stat status {};
    if (fstat(m_descriptor, &status) != 0)
        return nullptr;
    // A file with holes is read instead: read() returns a hole as zeros from one
    // shared page, while touching it through a mapping allocates memory for it on
    // tmpfs (a 4 GiB sparse file took 20 s and 4 GiB of memory).
    if (status.st_blocks * 512 < status.st_size)
        return nullptr;
    return LocalFileMapping::create(m_descriptor, status.st_size);
}
