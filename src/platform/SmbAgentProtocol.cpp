#include "platform/SmbAgentProtocol.h"

#include <QElapsedTimer>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <unistd.h>

namespace SmbAgentProtocol {

namespace {

// Values travel little-endian whatever the host order.
template <typename T> void toLittleEndian(T value, unsigned char* out)
{
    auto bits = static_cast<std::make_unsigned_t<T>>(value);
    for (size_t i = 0; i < sizeof(T); ++i)
        out[i] = static_cast<unsigned char>(bits >> (8 * i));
}

template <typename T> T fromLittleEndian(const unsigned char* in)
{
    std::make_unsigned_t<T> bits = 0;
    for (size_t i = 0; i < sizeof(T); ++i)
        bits |= static_cast<std::make_unsigned_t<T>>(in[i]) << (8 * i);
    return static_cast<T>(bits);
}

// sendmsg() with MSG_NOSIGNAL so a dead peer gives EPIPE instead of killing the
// process; writev() for descriptors that are not sockets.
ssize_t sendSome(int fd, iovec* parts, int count)
{
    msghdr message{};
    message.msg_iov = parts;
    message.msg_iovlen = size_t(count);
    ssize_t written = ::sendmsg(fd, &message, MSG_NOSIGNAL);
    if (written < 0 && errno == ENOTSOCK)
        written = ::writev(fd, parts, count);
    return written;
}

// recv() without waiting; a descriptor that is not a socket reports EAGAIN, so
// the caller waits for it with poll() and reads it with read().
ssize_t receiveWaiting(int fd, char* out, size_t length)
{
    ssize_t got = ::recv(fd, out, length, MSG_DONTWAIT);
    if (got < 0 && errno == ENOTSOCK)
        errno = EAGAIN;
    return got;
}

class Deadline {
public:
    explicit Deadline(int milliseconds) : m_limit(milliseconds) { m_timer.start(); }
    bool unlimited() const { return m_limit < 0; }
    int remaining() const { return m_limit < 0 ? -1 : int(std::max<qint64>(0, m_limit - m_timer.elapsed())); }

private:
    int m_limit;
    QElapsedTimer m_timer;
};

// Reads exactly length bytes, waiting in slices so the stop check is noticed. What
// has already arrived is taken without a poll() first: most replies are complete
// by the time they are asked for.
IoStatus readExactly(int fd, char* out, size_t length, const Deadline& deadline,
                     const std::function<bool()>& shouldStop)
{
    constexpr int kSliceMs = 50;
    size_t done = 0;
    // Without a deadline or a stop check nothing has to be noticed while waiting.
    const bool mayBlock = deadline.unlimited() && !shouldStop;
    bool readable = false; // poll() said so: read() does not block
    while (done < length) {
        if (shouldStop && shouldStop())
            return IoStatus::Stopped;
        ssize_t got = readable || mayBlock ? ::read(fd, out + done, length - done)
                                           : receiveWaiting(fd, out + done, length - done);
        readable = false;
        if (got > 0) {
            done += size_t(got);
            continue;
        }
        if (got == 0)
            return IoStatus::Closed;
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK)
            return IoStatus::Closed;
        int wait = shouldStop ? kSliceMs : -1;
        if (!deadline.unlimited()) {
            int remaining = deadline.remaining();
            if (remaining == 0)
                return IoStatus::TimedOut;
            wait = wait < 0 ? remaining : std::min(wait, remaining);
        }
        pollfd descriptor{fd, POLLIN, 0};
        int ready = ::poll(&descriptor, 1, wait);
        if (ready < 0 && errno != EINTR)
            return IoStatus::Closed;
        readable = ready > 0;
    }
    return IoStatus::Ok;
}

} // namespace

PayloadWriter::PayloadWriter(MessageType type)
{
    m_payload.append(char(type));
}

void PayloadWriter::raw(const void* data, size_t length)
{
    m_payload.append(static_cast<const char*>(data), qsizetype(length));
}

PayloadWriter& PayloadWriter::u8(uint8_t value)
{
    raw(&value, 1);
    return *this;
}

PayloadWriter& PayloadWriter::u16(uint16_t value)
{
    unsigned char buffer[2];
    toLittleEndian(value, buffer);
    raw(buffer, sizeof buffer);
    return *this;
}

PayloadWriter& PayloadWriter::u32(uint32_t value)
{
    unsigned char buffer[4];
    toLittleEndian(value, buffer);
    raw(buffer, sizeof buffer);
    return *this;
}

PayloadWriter& PayloadWriter::i32(int32_t value)
{
    return u32(static_cast<uint32_t>(value));
}

PayloadWriter& PayloadWriter::i64(int64_t value)
{
    unsigned char buffer[8];
    toLittleEndian(value, buffer);
    raw(buffer, sizeof buffer);
    return *this;
}

PayloadWriter& PayloadWriter::string(const QString& value)
{
    return bytes(value.toUtf8());
}

PayloadWriter& PayloadWriter::bytes(const QByteArray& value)
{
    return bytes(value.constData(), uint32_t(value.size()));
}

PayloadWriter& PayloadWriter::bytes(const char* text)
{
    return bytes(text, uint32_t(std::strlen(text)));
}

qsizetype PayloadWriter::placeU32()
{
    const qsizetype position = m_payload.size();
    u32(0);
    return position;
}

void PayloadWriter::setU32(qsizetype position, uint32_t value)
{
    toLittleEndian(value, reinterpret_cast<unsigned char*>(m_payload.data() + position));
}

PayloadWriter& PayloadWriter::bytes(const char* data, uint32_t length)
{
    u32(length);
    raw(data, length);
    return *this;
}

PayloadReader::PayloadReader(const QByteArray& payload) : m_payload(payload)
{
    uint8_t type = 0;
    take(&type, 1);
    m_type = MessageType(type);
}

bool PayloadReader::take(void* out, qsizetype length)
{
    if (m_failed || length < 0 || m_payload.size() - m_position < length) {
        m_failed = true;
        std::memset(out, 0, size_t(std::max<qsizetype>(length, 0)));
        return false;
    }
    std::memcpy(out, m_payload.constData() + m_position, size_t(length));
    m_position += length;
    return true;
}

uint8_t PayloadReader::u8()
{
    uint8_t value = 0;
    take(&value, 1);
    return value;
}

uint16_t PayloadReader::u16()
{
    unsigned char buffer[2];
    take(buffer, sizeof buffer);
    return fromLittleEndian<uint16_t>(buffer);
}

uint32_t PayloadReader::u32()
{
    unsigned char buffer[4];
    take(buffer, sizeof buffer);
    return fromLittleEndian<uint32_t>(buffer);
}

int32_t PayloadReader::i32()
{
    return static_cast<int32_t>(u32());
}

int64_t PayloadReader::i64()
{
    unsigned char buffer[8];
    take(buffer, sizeof buffer);
    return fromLittleEndian<int64_t>(buffer);
}

QString PayloadReader::string()
{
    const QByteArrayView field = block();
    return QString::fromUtf8(field.data(), field.size());
}

QByteArray PayloadReader::bytes()
{
    return block().toByteArray();
}

QByteArrayView PayloadReader::block()
{
    uint32_t length = u32();
    if (m_failed || length > uint64_t(m_payload.size() - m_position)) {
        m_failed = true;
        return {};
    }
    const QByteArrayView value(m_payload.constData() + m_position, qsizetype(length));
    m_position += qsizetype(length);
    return value;
}

IoStatus writeFrame(int fd, const QByteArray& payload)
{
    if (uint64_t(payload.size()) > kMaxPayload)
        return IoStatus::Corrupted;
    unsigned char header[4];
    toLittleEndian(uint32_t(payload.size()), header);
    // Header and payload leave in one call, without copying the payload.
    iovec parts[2] = {{header, sizeof header},
                      {const_cast<char*>(payload.constData()), size_t(payload.size())}};
    iovec* next = parts;
    int count = 2;
    while (count > 0) {
        ssize_t written = sendSome(fd, next, count);
        if (written < 0) {
            if (errno == EINTR || errno == EAGAIN)
                continue;
            return IoStatus::Closed;
        }
        auto left = size_t(written);
        while (count > 0 && left >= next->iov_len) {
            left -= next->iov_len;
            ++next;
            --count;
        }
        if (count > 0) {
            next->iov_base = static_cast<char*>(next->iov_base) + left;
            next->iov_len -= left;
        }
    }
    return IoStatus::Ok;
}

IoStatus readFrame(int fd, QByteArray& payload, int deadlineMs, const std::function<bool()>& shouldStop)
{
    Deadline deadline(deadlineMs);
    unsigned char header[4];
    IoStatus status = readExactly(fd, reinterpret_cast<char*>(header), sizeof header, deadline, shouldStop);
    if (status != IoStatus::Ok)
        return status;
    uint32_t length = fromLittleEndian<uint32_t>(header);
    if (length == 0 || length > kMaxPayload)
        return IoStatus::Corrupted;
    // The buffer grows with what arrives: a damaged header that announces a
    // quarter of a gigabyte costs no more than the bytes that follow it.
    constexpr uint32_t kBlockBytes = 1024 * 1024;
    payload.clear();
    for (uint32_t done = 0; done < length;) {
        const uint32_t block = std::min(kBlockBytes, length - done);
        payload.resize(qsizetype(done) + qsizetype(block));
        status = readExactly(fd, payload.data() + done, block, deadline, shouldStop);
        if (status != IoStatus::Ok)
            return status;
        done += block;
    }
    return IoStatus::Ok;
}

} // namespace SmbAgentProtocol
