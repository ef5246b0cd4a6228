#pragma once

#include "engine/ports/PlatformError.h"
#include "platform/SmbAgentProcess.h"

#include <cstdint>
#include <memory>

// A file created in an SMB agent, written from start to end in blocks. close()
// says whether everything reached the server; a writer dropped without close()
// closes the file and ignores the outcome.
class SmbFileWriter {
public:
    SmbFileWriter(std::shared_ptr<SmbAgentProcess> agent, uint32_t handle);
    ~SmbFileWriter();
    SmbFileWriter(const SmbFileWriter&) = delete;
    SmbFileWriter& operator=(const SmbFileWriter&) = delete;

    // Appends the bytes (several agent round trips for long blocks).
    PlatformError write(const char* data, int64_t length);
    PlatformError close();

private:
    std::shared_ptr<SmbAgentProcess> m_agent;
    uint32_t m_handle;
    int64_t m_offset = 0;
    bool m_open = true;
};
