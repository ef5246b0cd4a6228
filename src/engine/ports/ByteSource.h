#pragma once

#include <cstdint>
#include <memory>

// A source's bytes in memory, read in place (a file mapped into the address space).
// The view stays valid until it is destroyed, even when its source is destroyed first.
class MappedBytes {
public:
    virtual ~MappedBytes() = default;
    // The first size() bytes of the source.
    virtual const char* data() const = 0;
    virtual int64_t size() const = 0;
    // False once a read of the view touched a page the file no longer has (it shrank
    // after it was mapped, or the storage failed): such pages read as zeros, so what
    // was read since the last check is not the file's content.
    virtual bool intact() const = 0;
};

// Random-access read of one file's bytes: what the content scanner needs. Local
// files and files on a share (through the SMB agent) both implement it.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Size of the file in bytes, or -1 when it cannot be determined.
    virtual int64_t size() = 0;
    // Reads up to length bytes at offset into buffer. Returns the number of bytes
    // read (0 at the end of the file) or -1 on an error.
    virtual int64_t read(int64_t offset, char* buffer, int64_t length) = 0;
    // The bytes as a view in memory where the source can give one (a local file the
    // system lets map), so a scan needs no copy; nullptr means use read().
    virtual std::unique_ptr<MappedBytes> map() { return nullptr; }
};
