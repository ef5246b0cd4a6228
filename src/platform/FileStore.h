#pragma once

#include "engine/ports/ByteSource.h"
#include "engine/ports/PlatformError.h"
#include "engine/ports/Result.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

// Where the file operations on results read and change files: the local file
// system (paths with "/") or the shares of the network (UNC paths \\HOST\share\...).
// Every call reports failures as PlatformError (errno and its text); a missing
// file or folder is ENOENT.
struct FileStoreStat {
    bool folder = false;
    int64_t size = 0;
    int64_t writeTime = 0; // seconds since the Unix epoch (UTC)
    // A symbolic link; the fields above describe what it points to (nothing for a
    // dangling one). Copies never follow one: it may lead out of the copied tree.
    bool link = false;
};

struct FileStoreEntry {
    QString name;
    bool folder = false;
    int64_t size = 0;
};

// Writes one new file from start to end; finish() says whether it all arrived.
class FileStoreWriter {
public:
    virtual ~FileStoreWriter() = default;
    virtual PlatformError write(const char* data, int64_t length) = 0;
    virtual PlatformError finish() = 0;
};

class FileStore {
public:
    virtual ~FileStore() = default;

    virtual PlatformError stat(const QString& path, FileStoreStat& stat) = 0;
    // The entries of a folder without "." and "..".
    virtual PlatformError list(const QString& folder, std::vector<FileStoreEntry>& entries) = 0;
    virtual Result<std::unique_ptr<ByteSource>> openRead(const QString& path) = 0;
    // exclusive: fails with EEXIST when the file exists; else an existing file is emptied.
    virtual Result<std::unique_ptr<FileStoreWriter>> create(const QString& path, bool exclusive) = 0;
    virtual PlatformError removeFile(const QString& path) = 0;
    virtual PlatformError makeFolder(const QString& path) = 0;
    // The folder must be empty.
    virtual PlatformError removeFolder(const QString& path) = 0;
    // Renames or moves within the store. Without replace an existing target fails
    // with EEXIST; EXDEV when the two places cannot be joined by a rename (other
    // file systems, other shares).
    virtual PlatformError rename(const QString& path, const QString& newPath, bool replace) = 0;
};

// Path spelling shared by both kinds of store: a UNC path separates with "\",
// anything else is a local path and separates with "/".
namespace FileStorePath {
bool IsUnc(const QString& path);
QChar Separator(const QString& path);
// The folder part with its trailing separator ("\\H\s\dir\" of "\\H\s\dir\a.txt").
// A path without the separator of its kind falls back to the last "\" or ":",
// as Windows paths of older results files spell them.
QString FolderOf(const QString& path);
// The part after the folder part.
QString NameOf(const QString& path);
// folder + separator (when folder does not end in one) + name.
QString Join(const QString& folder, const QString& name);
// True when path is folder itself or lies below it (compared case-sensitively for
// local paths, case-insensitively for UNC paths as Windows servers compare).
bool IsSameOrBelow(const QString& path, const QString& folder);
// A name a user typed for a file: not empty, not "." or "..", and without a
// separator of either kind (which would move the file elsewhere) or a NUL.
bool IsPlainName(const QString& name);
} // namespace FileStorePath
