#pragma once

#include <cstdint>

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
};
