#include "platform/SmbFileSource.h"

#include "platform/SmbAgentProtocol.h"

#include <cstring>

using namespace SmbAgentProtocol;

SmbFileSource::SmbFileSource(std::shared_ptr<SmbAgentProcess> agent, uint32_t handle, int64_t size)
    : m_agent(std::move(agent)), m_handle(handle), m_size(size)
{
}

SmbFileSource::~SmbFileSource()
{
    if (m_agent->isDead())
        return;
    // Nothing to do about a close that fails: the agent forgets the handle when it ends.
    (void)m_agent->call(PayloadWriter(MessageType::CloseFile).u32(m_handle).payload());
}

int64_t SmbFileSource::read(int64_t offset, char* buffer, int64_t length)
{
    if (offset < 0 || length < 0)
        return -1;
    int64_t done = 0;
    while (done < length) {
        auto chunk = uint32_t(std::min<int64_t>(length - done, kMaxReadLength));
        const Result<QByteArray> reply = m_agent->call(
            PayloadWriter(MessageType::ReadFile).u32(m_handle).i64(offset + done).u32(chunk).payload());
        if (!reply)
            return -1;
        PayloadReader in(reply.value());
        QByteArray data = in.bytes();
        if (!in.complete() || data.size() > qsizetype(chunk))
            return -1;
        std::memcpy(buffer + done, data.constData(), size_t(data.size()));
        done += data.size();
        if (data.size() < qsizetype(chunk))
            break;
    }
    return done;
}
