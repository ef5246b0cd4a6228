#include "platform/NetBiosNameQuery.h"

#include "platform/FileDescriptor.h"
#include "platform/NetBiosStatusChannel.h"
#include "platform/StopWaker.h"

#include <cerrno>
#include <netinet/in.h>
#include <sys/socket.h>

namespace {

constexpr int kHeaderSize = 12;
constexpr int kMaxReplySize = 2048;
constexpr int kNameEntrySize = 18; // 15 name bytes, suffix, 2 flag bytes
constexpr unsigned char kGroupFlag = 0x80;
constexpr uint16_t kTypeNodeStatus = 0x21;

uint16_t ReadU16(const QByteArray& data, qsizetype at)
{
    return static_cast<uint16_t>((static_cast<unsigned char>(data[at]) << 8) |
                                 static_cast<unsigned char>(data[at + 1]));
}

// Skips the owner name of the answer record: labels up to the root, or a
// compression pointer. -1 when it runs past the data.
qsizetype SkipName(const QByteArray& data, qsizetype at)
{
    while (at < data.size()) {
        const auto length = static_cast<unsigned char>(data[at]);
        if ((length & 0xC0) == 0xC0)
            return at + 2 <= data.size() ? at + 2 : -1;
        if (length == 0)
            return at + 1;
        at += 1 + length;
    }
    return -1;
}

} // namespace

std::optional<TNetBiosNames> ParseNodeStatusReply(const QByteArray& reply)
{
    if (reply.size() < kHeaderSize)
        return std::nullopt;
    const uint16_t flags = ReadU16(reply, 2);
    const bool response = (flags & 0x8000) != 0;
    const int rcode = flags & 0x000F;
    if (!response || rcode != 0 || ReadU16(reply, 6) == 0)
        return std::nullopt;
    qsizetype at = SkipName(reply, kHeaderSize);
    // type, class, TTL, data length, then the name count.
    if (at < 0 || at + 11 > reply.size() || ReadU16(reply, at) != kTypeNodeStatus)
        return std::nullopt;
    const uint16_t dataLength = ReadU16(reply, at + 8);
    at += 10;
    const qsizetype end = std::min<qsizetype>(reply.size(), at + dataLength);
    const int count = static_cast<unsigned char>(reply[at]);
    ++at;
    if (at + qsizetype(count) * kNameEntrySize > end)
        return std::nullopt;
    TNetBiosNames names;
    for (int i = 0; i < count; ++i, at += kNameEntrySize) {
        const QString name = QString::fromLatin1(reply.constData() + at, 15).trimmed();
        const auto suffix = static_cast<unsigned char>(reply[at + 15]);
        const bool group = (static_cast<unsigned char>(reply[at + 16]) & kGroupFlag) != 0;
        if (suffix != 0x00 || name.isEmpty())
            continue;
        QString& slot = group ? names.group : names.computer;
        if (slot.isEmpty())
            slot = name;
    }
    return names;
}

std::optional<TNetBiosNames> QueryNetBiosNames(uint32_t address,
                                               std::chrono::steady_clock::time_point deadline,
                                               const std::stop_token& stop, uint16_t port)
{
    // A socket of its own, connected: only the asked address's reply is read, and a
    // port-unreachable ends the wait at once.
    UniqueFd socket(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, IPPROTO_UDP));
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_addr.s_addr = address;
    peer.sin_port = htons(port);
    if (!socket.valid() ||
        ::connect(socket.get(), reinterpret_cast<const sockaddr*>(&peer), sizeof peer) != 0)
        return std::nullopt;
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    const QByteArray request = NetBiosStatusChannel::BuildNodeStatusRequest(static_cast<uint16_t>(ticks));
    if (::send(socket.get(), request.constData(), static_cast<size_t>(request.size()), MSG_NOSIGNAL) !=
        request.size())
        return std::nullopt;
    StopWaker waker(stop);
    while (!waker.stopRequested() && std::chrono::steady_clock::now() < deadline) {
        if (waker.waitReadable({socket.get()}, deadline).empty())
            continue;
        char buffer[kMaxReplySize];
        const ssize_t received = ::recv(socket.get(), buffer, sizeof buffer, MSG_DONTWAIT);
        if (received < 0 && errno == EINTR)
            continue;
        if (received < 0 && errno != EAGAIN)
            return std::nullopt; // refused: nobody serves NetBIOS there
        if (received > 0)
            return ParseNodeStatusReply(QByteArray(buffer, static_cast<qsizetype>(received)));
    }
    return std::nullopt;
}
