#include "store/AtomicFile.h"

#include "model/Error.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

[[noreturn]] void RaiseErrno(const QString& what, const QString& path, int error)
{
    throw EKestrovaError(QStringLiteral("%1 %2: %3").arg(what, path, QString::fromLocal8Bit(strerror(error))),
                         error);
}

// Owns a file descriptor; closes it on every path.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() { Close(); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return m_fd; }
    // Closes now and reports close's own error (NFS reports write errors there).
    int Close()
    {
        if (m_fd < 0)
            return 0;
        const int result = ::close(m_fd);
        m_fd = -1;
        return result == 0 ? 0 : errno;
    }

private:
    int m_fd;
};

// Removes the temporary file unless the rename has consumed it.
class TempFileGuard {
public:
    explicit TempFileGuard(QByteArray path) : m_path(std::move(path)) {}
    ~TempFileGuard()
    {
        if (!m_path.isEmpty())
            ::unlink(m_path.constData());
    }
    TempFileGuard(const TempFileGuard&) = delete;
    TempFileGuard& operator=(const TempFileGuard&) = delete;
    void Release() { m_path.clear(); }

private:
    QByteArray m_path;
};

void WriteAll(int fd, const QByteArray& contents, const QString& tempPath)
{
    const char* data = contents.constData();
    qsizetype left = contents.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            RaiseErrno(QStringLiteral("Cannot write"), tempPath, errno);
        }
        data += written;
        left -= written;
    }
}

// The file the bytes finally belong to: a symbolic link is followed so that the link
// survives the rename.
QString ResolveTarget(const QString& path)
{
    const QFileInfo info(path);
    if (info.isSymLink()) {
        // canonicalFilePath follows a chain of links but is empty for a dangling one.
        const QString canonical = info.canonicalFilePath();
        const QString target = canonical.isEmpty() ? info.symLinkTarget() : canonical;
        if (!target.isEmpty())
            return target;
    }
    return path;
}

void SyncFolder(const QString& folder)
{
    // Makes the rename itself durable. Some file systems refuse fsync on a folder;
    // the data is already safe then, so that failure is not an error.
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

void WriteFileAtomically(const QString& path, const QByteArray& contents,
                         const std::function<void(const QString& tempPath)>& beforeReplace)
{
    const QString target = ResolveTarget(path);
    const QFileInfo targetInfo(target);
    const QString folder = targetInfo.absolutePath();
    if (targetInfo.isDir())
        RaiseErrno(QStringLiteral("Cannot write"), target, EISDIR);

    // mkstemp creates the file with mode 0600 and O_EXCL, so nobody else can have it open.
    QByteArray tempName = QFile::encodeName(folder + QStringLiteral("/.") + targetInfo.fileName() + QStringLiteral(".XXXXXX"));
    const int fd = ::mkostemp(tempName.data(), O_CLOEXEC);
    if (fd < 0)
        RaiseErrno(QStringLiteral("Cannot create a temporary file in"), folder, errno);
    TempFileGuard guard(tempName);
    FileDescriptor file(fd);
    const QString tempPath = QFile::decodeName(tempName);

    WriteAll(file.get(), contents, tempPath);
    if (::fchmod(file.get(), S_IRUSR | S_IWUSR) != 0)
        RaiseErrno(QStringLiteral("Cannot set the permissions of"), tempPath, errno);
    if (::fsync(file.get()) != 0)
        RaiseErrno(QStringLiteral("Cannot flush"), tempPath, errno);
    if (const int error = file.Close())
        RaiseErrno(QStringLiteral("Cannot write"), tempPath, error);

    if (beforeReplace)
        beforeReplace(tempPath);

    if (::rename(tempName.constData(), QFile::encodeName(target).constData()) != 0)
        RaiseErrno(QStringLiteral("Cannot replace"), target, errno);
    guard.Release();
    SyncFolder(folder);
}
