#include "platform/SmbAgentProtocol.h"

#include <QElapsedTimer>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
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

// send() with MSG_NOSIGNAL so a dead peer gives EPIPE instead of killing the
// process; write() for descriptors that are not sockets.
ssize_t sendSome(int fd, const char* data, size_t length)
{
    ssize_t written = ::send(fd, data, length, MSG_NOSIGNAL);
    if (written < 0 && errno == ENOTSOCK)
        written = ::write(fd, data, length);
    return written;
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

// Reads exactly length bytes, waiting in slices so the stop check is noticed.
IoStatus readExactly(int fd, char* out, size_t length, const Deadline& deadline,
                     const std::function<bool()>& shouldStop)
{
    constexpr int kSliceMs = 50;
    size_t done = 0;
    while (done < length) {
        if (shouldStop && shouldStop())
            return IoStatus::Stopped;
        int wait = shouldStop ? kSliceMs : -1;
        if (!deadline.unlimited()) {
            int remaining = deadline.remaining();
            if (remaining == 0)
                return IoStatus::TimedOut;
            wait = wait < 0 ? remaining : std::min(wait, remaining);
        }
        pollfd descriptor{fd, POLLIN, 0};
        int ready = ::poll(&descriptor, 1, wait);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            return IoStatus::Closed;
        }
        if (ready == 0)
            continue;
        ssize_t got = ::read(fd, out + done, length - done);
        if (got < 0) {
            if (errno == EINTR || errno == EAGAIN)
                continue;
            return IoStatus::Closed;
        }
        if (got == 0)
            return IoStatus::Closed;
        done += size_t(got);
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
    return QString::fromUtf8(bytes());
}

QByteArray PayloadReader::bytes()
{
    uint32_t length = u32();
    if (m_failed || length > uint64_t(m_payload.size() - m_position)) {
        m_failed = true;
        return {};
    }
    QByteArray value = m_payload.mid(m_position, qsizetype(length));
    m_position += qsizetype(length);
    return value;
}

IoStatus writeFrame(int fd, const QByteArray& payload)
{
    if (uint64_t(payload.size()) > kMaxPayload)
        return IoStatus::Corrupted;
    unsigned char header[4];
    toLittleEndian(uint32_t(payload.size()), header);
    QByteArray frame(reinterpret_cast<const char*>(header), sizeof header);
    frame.append(payload);
    qsizetype done = 0;
    while (done < frame.size()) {
        ssize_t written = sendSome(fd, frame.constData() + done, size_t(frame.size() - done));
        if (written < 0) {
            if (errno == EINTR || errno == EAGAIN)
                continue;
            return IoStatus::Closed;
        }
        done += written;
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
