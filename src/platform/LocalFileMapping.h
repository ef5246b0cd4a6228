#pragma once

#include "engine/ports/ByteSource.h"

#include <cstddef>
#include <cstdint>
#include <memory>

// A read-only shared mapping of the first `size` bytes of an open local file
// (MADV_SEQUENTIAL: the scan reads it once, front to back).
//
// A file that shrinks after it was mapped would raise SIGBUS on the first read of a
// page past its new end. Every live mapping is listed in a fixed table that a
// SIGBUS handler (installed once, chaining to the handler it replaced) consults:
// a fault inside a listed mapping puts a page of zeros over the missing page and
// marks the mapping as not intact, so the reader goes on and learns from intact()
// that the bytes are not the file's. A fault anywhere else goes to the previous
// handler (or the default action). The table is lock-free and does not depend on
// the reading thread, so a view may be read from any thread.
class LocalFileMapping : public MappedBytes {
public:
    // nullptr where the file cannot be mapped (size 0, the system refuses, or
    // kMaxMappings are live at once): the caller reads instead.
    static std::unique_ptr<LocalFileMapping> create(int descriptor, int64_t size);

    ~LocalFileMapping() override;
    LocalFileMapping(const LocalFileMapping&) = delete;
    LocalFileMapping& operator=(const LocalFileMapping&) = delete;

    const char* data() const override { return m_data; }
    int64_t size() const override { return m_size; }
    bool intact() const override;

    // Mappings live at once; one per scanning worker is the usual need.
    static constexpr size_t kMaxMappings = 256;

private:
    LocalFileMapping(const char* data, int64_t size, size_t mappedLength, size_t slot);

    const char* m_data;
    int64_t m_size;
    size_t m_mappedLength;
    size_t m_slot;
};
