#include "platform/SmbFileWriter.h"

#include "platform/SmbAgentProtocol.h"

#include <algorithm>

using namespace SmbAgentProtocol;

SmbFileWriter::SmbFileWriter(std::shared_ptr<SmbAgentProcess> agent, uint32_t handle)
    : m_agent(std::move(agent)), m_handle(handle)
{
}

SmbFileWriter::~SmbFileWriter()
{
    if (m_open && !m_agent->isDead())
        (void)close(); // a destructor has no one to tell
}

PlatformError SmbFileWriter::write(const char* data, int64_t length)
{
    int64_t done = 0;
    while (done < length) {
        const auto block = uint32_t(std::min<int64_t>(length - done, kMaxWriteLength));
        const Result<QByteArray> reply = m_agent->call(PayloadWriter(MessageType::WriteFile)
                                                           .u32(m_handle)
                                                           .i64(m_offset)
                                                           .bytes(data + done, block)
                                                           .payload());
        if (!reply)
            return reply.error();
        done += block;
        m_offset += block;
    }
    return {};
}

PlatformError SmbFileWriter::close()
{
    if (!m_open)
        return {};
    m_open = false;
    return m_agent->call(PayloadWriter(MessageType::CloseFile).u32(m_handle).payload()).error();
}
