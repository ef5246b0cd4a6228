#include "support/MemoryByteSource.h"

#include <algorithm>
#include <cstring>

MemoryByteSource::MemoryByteSource(QByteArray bytes)
    : m_bytes(std::move(bytes)), m_reportedSize(m_bytes.size())
{
}

int64_t MemoryByteSource::size()
{
    return m_reportedSize;
}

int64_t MemoryByteSource::read(int64_t offset, char* buffer, int64_t length)
{
    ++m_readCount;
    m_addressBits |= reinterpret_cast<uintptr_t>(buffer);
    if (m_beforeRead)
        m_beforeRead(m_readCount);
    if (m_failingRead != 0 && m_readCount >= m_failingRead)
        return -1;
    if (offset < 0 || length < 0)
        return -1;
    if (offset >= m_bytes.size())
        return 0;
    int64_t count = std::min<int64_t>(length, m_bytes.size() - offset);
    if (m_maxReadLength > 0)
        count = std::min(count, m_maxReadLength);
    memcpy(buffer, m_bytes.constData() + offset, static_cast<size_t>(count));
    m_bytesRead += count;
    return count;
}

bool MemoryByteSource::readsAligned(uintptr_t alignment) const
{
    return (m_addressBits & (alignment - 1)) == 0;
}
