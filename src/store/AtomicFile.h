#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

// Replaces a file's contents so that a crash, a full disk or a failed write never
// leaves a half-written file behind: the bytes go into a temporary file in the same
// folder, are flushed to the disk, and the temporary file is then renamed over the
// target (a rename within one file system is atomic). The new file is readable and
// writable by its owner only, whatever the old file's mode was, because the files
// written this way may hold passwords. A symbolic link at the path is kept: its
// target is replaced.
//
// beforeReplace, when given, runs after the temporary file is complete and before the
// rename; an exception it throws aborts the write like any other failure (used by the
// tests to interrupt a write at its most delicate point).
//
// Raises EKestrovaError (with errno as its code) on failure; the old file is then
// untouched and the temporary file removed.
void WriteFileAtomically(const QString& path, const QByteArray& contents,
                         const std::function<void(const QString& tempPath)>& beforeReplace = {});
