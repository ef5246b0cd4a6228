#pragma once

#include "engine/ports/ByteSource.h"
#include "engine/ports/Result.h"

#include <QString>
#include <cstdint>
#include <memory>

// A regular file of the local file system read with pread: 64-bit offsets and sizes,
// no shared file position, so reads need no lock; or mapped into memory for a scan
// in place. Owns the descriptor.
class LocalFileSource : public ByteSource {
public:
    // Opens path read-only. The error comes from errno when the file cannot be
    // opened or is not a regular file (a folder, a FIFO or a device would block or
    // never end).
    static Result<std::unique_ptr<LocalFileSource>> open(const QString& path);

    ~LocalFileSource() override;
    LocalFileSource(const LocalFileSource&) = delete;
    LocalFileSource& operator=(const LocalFileSource&) = delete;

    int64_t size() override;
    int64_t read(int64_t offset, char* buffer, int64_t length) override;
    // The file's current size mapped read-only (LocalFileMapping); nullptr where
    // it cannot be mapped or is sparse.
    std::unique_ptr<MappedBytes> map() override;

    // Why the last size() or read() returned -1.
    const PlatformError& lastError() const { return m_lastError; }

private:
    explicit LocalFileSource(int descriptor);

    int m_descriptor;
    PlatformError m_lastError;
};
