#include "platform/WsDiscoveryListener.h"

#include "platform/MulticastInterfaces.h"
#include "platform/StopWaker.h"

#include <deque>

namespace {

// Announcements are repeated against loss; a short memory of message ids drops
// the repeats.
constexpr size_t kRememberedMessages = 64;

} // namespace

WsDiscoveryListener::WsDiscoveryListener(Callback callback, bool ipv6)
    : m_callback(std::move(callback)), m_ipv6(ipv6)
{
}

WsDiscoveryListener::~WsDiscoveryListener()
{
    stop();
}

bool WsDiscoveryListener::start()
{
    stop();
    m_sockets = OpenGroupListeners(MulticastInterfaces(), Wsd::kIpv4Group, m_ipv6 ? Wsd::kIpv6Group : nullptr,
                                   Wsd::kPort);
    if (m_sockets.empty())
        return false;
    m_thread = std::jthread([this](std::stop_token stop) { run(std::move(stop)); });
    return true;
}

void WsDiscoveryListener::stop()
{
    if (m_thread.joinable()) {
        m_thread.request_stop();
        m_thread.join();
    }
    m_sockets.clear();
}

void WsDiscoveryListener::run(std::stop_token stop)
{
    StopWaker waker(std::move(stop));
    std::vector<int> fds;
    for (const UniqueFd& socket : m_sockets)
        fds.push_back(socket.get());
    std::deque<QString> recent;
    while (!waker.stopRequested()) {
        const std::vector<int> ready =
            waker.waitReadable(fds, std::chrono::steady_clock::now() + std::chrono::seconds(1));
        for (int fd : ready) {
            QByteArray datagram;
            TSocketAddress source;
            bool truncated = false;
            while (!waker.stopRequested() &&
                   ReceiveFrom(fd, datagram, source, Wsd::kMaxMessageSize, truncated)) {
                const std::optional<Wsd::Message> message =
                    truncated ? std::nullopt : Wsd::ParseMessage(datagram);
                if (!message ||
                    (message->action != Wsd::Action::Hello && message->action != Wsd::Action::Bye))
                    continue;
                if (!message->messageId.isEmpty()) {
                    if (std::find(recent.begin(), recent.end(), message->messageId) != recent.end())
                        continue;
                    recent.push_back(message->messageId);
                    if (recent.size() > kRememberedMessages)
                        recent.pop_front();
                }
                for (const Wsd::Endpoint& endpoint : message->endpoints)
                    m_callback(TWsAnnouncement{message->action == Wsd::Action::Hello, endpoint,
                                               source.addressText()});
            }
        }
    }
}
