#pragma once

#include "engine/ports/ByteSource.h"

#include <QByteArray>
#include <cstdint>
#include <functional>

// A ByteSource over bytes in memory that can misbehave like a real file or share:
// short reads, a failing read, an unknown size, a file that ends before its size.
// It counts what was read so tests can check how the scanner reads.
class MemoryByteSource : public ByteSource {
public:
    explicit MemoryByteSource(QByteArray bytes);

    int64_t size() override;
    int64_t read(int64_t offset, char* buffer, int64_t length) override;

    // Size reported by size(); -1 fails it. Defaults to the length of the bytes.
    void setReportedSize(int64_t size) { m_reportedSize = size; }
    // Largest number of bytes a single read returns (0: no limit).
    void setMaxReadLength(int64_t length) { m_maxReadLength = length; }
    // Reads numbered from 1; that read and every later one fail (0: none fails).
    void setFailingRead(int readNumber) { m_failingRead = readNumber; }
    // Called with the read number before each read is served.
    void setBeforeRead(std::function<void(int)> hook) { m_beforeRead = std::move(hook); }

    int readCount() const { return m_readCount; }
    int64_t bytesRead() const { return m_bytesRead; }
    // Whether every read went to an address aligned to that many bytes.
    bool readsAligned(uintptr_t alignment) const;

private:
    QByteArray m_bytes;
    int64_t m_reportedSize;
    int64_t m_maxReadLength = 0;
    int m_failingRead = 0;
    std::function<void(int)> m_beforeRead;
    int m_readCount = 0;
    int64_t m_bytesRead = 0;
    uintptr_t m_addressBits = 0; // OR of every read address
};
