#pragma once

#include "engine/ports/ByteSource.h"
#include "platform/SmbAgentProcess.h"

#include <memory>

// A file opened in an SMB agent, read in ranges for the content scanner. Shares
// the agent with the client that opened it; the file is closed with the source.
class SmbFileSource : public ByteSource {
public:
    SmbFileSource(std::shared_ptr<SmbAgentProcess> agent, uint32_t handle, int64_t size);
    ~SmbFileSource() override;

    int64_t size() override { return m_size; }
    // Fills the buffer as far as the file goes (several agent round trips for
    // long ranges); -1 on any error.
    int64_t read(int64_t offset, char* buffer, int64_t length) override;

private:
    std::shared_ptr<SmbAgentProcess> m_agent;
    uint32_t m_handle;
    int64_t m_size;
};
