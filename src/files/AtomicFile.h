#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

// A new version of a file, written into a temporary file in the same folder, flushed
// to the disk and only then renamed over the target (a rename within one file system
// is atomic), so that a crash, a full disk or a failed write never leaves a
// half-written file behind. A symbolic link at the path is kept: its target is
// replaced. Until replace() succeeds the old file is untouched; the destructor removes
// the temporary file of a write that did not get that far.
//
// Every failure raises EKestrovaError with errno as its code.
class TAtomicFile {
public:
    enum class TPermissions {
        OwnerOnly, // 0600 whatever the old file had: the file may hold passwords
        Keep,      // those of the file replaced; a new file gets 0666 less the umask
    };

    TAtomicFile(const QString& path, TPermissions permissions);
    ~TAtomicFile();
    TAtomicFile(const TAtomicFile&) = delete;
    TAtomicFile& operator=(const TAtomicFile&) = delete;

    // The temporary file, open for writing (and reading, for writers that seek back).
    int descriptor() const { return m_fd; }
    const QString& tempPath() const { return m_tempPath; }

    void write(const QByteArray& bytes);
    // Flushes the temporary file to the disk and closes it.
    void finish();
    // Renames the finished temporary file over the target and makes the rename durable.
    void replace();

private:
    QString m_target;
    QString m_folder;
    QByteArray m_tempName;
    QString m_tempPath;
    int m_fd = -1;
};

// Replaces the file's contents through a TAtomicFile, readable and writable by its
// owner only (the files written this way may hold passwords).
//
// beforeReplace, when given, runs after the temporary file is complete and before the
// rename; an exception it throws aborts the write like any other failure (used by the
// tests to interrupt a write at its most delicate point).
void WriteFileAtomically(const QString& path, const QByteArray& contents,
                         const std::function<void(const QString& tempPath)>& beforeReplace = {});
