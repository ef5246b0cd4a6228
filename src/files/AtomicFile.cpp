#include "files/AtomicFile.h"

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
    throw EKestrovaError(QStringLiteral("%1 %2: %3").arg(what, path, ErrnoText(error)), error);
}

// The file the bytes finally belong to: a symbolic link is followed so that the link
// survives the rename.
QString ResolveTarget(const QString& path)
{
    const QFileInfo info(path);
    if (info.isSymLink()) {
        // canonicalFilePath follows a chain of links but is empty for a dangling one.
        const QString canonical = info.canonicalFilePath();
        QString target = canonical.isEmpty() ? info.symLinkTarget() : canonical;
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

// The mode a newly created file gets: 0666 less the process's umask, read without
// changing it (umask() would race with other threads creating files).
mode_t NewFileMode()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        while (!status.atEnd()) {
            const QByteArray line = status.readLine();
            if (line.startsWith("Umask:")) {
                bool ok = false;
                const uint mask = line.mid(6).trimmed().toUInt(&ok, 8);
                if (ok)
                    return 0666 & ~static_cast<mode_t>(mask);
            }
        }
    }
    return 0644;
}

} // namespace

TAtomicFile::TAtomicFile(const QString& path, TPermissions permissions) : m_target(ResolveTarget(path))
{
    const QFileInfo targetInfo(m_target);
    m_folder = targetInfo.absolutePath();
    if (targetInfo.isDir())
        RaiseErrno(QStringLiteral("Cannot write"), m_target, EISDIR);

    // mkstemp creates the file with mode 0600 and O_EXCL, so nobody else can have it open.
    QByteArray tempName = QFile::encodeName(m_folder + QStringLiteral("/.") + targetInfo.fileName() +
                                            QStringLiteral(".XXXXXX"));
    m_fd = ::mkostemp(tempName.data(), O_CLOEXEC);
    if (m_fd < 0)
        RaiseErrno(QStringLiteral("Cannot create a temporary file in"), m_folder, errno);
    m_tempName = tempName;
    m_tempPath = QFile::decodeName(tempName);

    mode_t mode = S_IRUSR | S_IWUSR;
    if (permissions == TPermissions::Keep) {
        struct stat existing {};
        const bool replacing = ::stat(QFile::encodeName(m_target).constData(), &existing) == 0;
        mode = replacing ? existing.st_mode & 07777 : NewFileMode();
    }
    if (::fchmod(m_fd, mode) != 0)
        RaiseErrno(QStringLiteral("Cannot set the permissions of"), m_tempPath, errno);
}

TAtomicFile::~TAtomicFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
    if (!m_tempName.isEmpty())
        ::unlink(m_tempName.constData());
}

void TAtomicFile::write(const QByteArray& bytes)
{
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(m_fd, data, static_cast<size_t>(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            RaiseErrno(QStringLiteral("Cannot write"), m_tempPath, errno);
        }
        data += written;
        left -= written;
    }
}

void TAtomicFile::finish()
{
    if (::fsync(m_fd) != 0)
        RaiseErrno(QStringLiteral("Cannot flush"), m_tempPath, errno);
    const int fd = m_fd;
    m_fd = -1;
    // close reports write errors of its own (NFS does).
    if (::close(fd) != 0)
        RaiseErrno(QStringLiteral("Cannot write"), m_tempPath, errno);
}

void TAtomicFile::replace()
{
    if (::rename(m_tempName.constData(), QFile::encodeName(m_target).constData()) != 0)
        RaiseErrno(QStringLiteral("Cannot replace"), m_target, errno);
    m_tempName.clear();
    SyncFolder(m_folder);
}

void WriteFileAtomically(const QString& path, const QByteArray& contents,
                         const std::function<void(const QString& tempPath)>& beforeReplace)
{
    TAtomicFile file(path, TAtomicFile::TPermissions::OwnerOnly);
    file.write(contents);
    file.finish();
    if (beforeReplace)
        beforeReplace(file.tempPath());
    file.replace();
}
