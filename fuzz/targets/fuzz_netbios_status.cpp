// NetBIOS node status replies, through the real probe channel on loopback: the
// channel sends its request to a socket of this target, which answers with the
// input; collect() must take exactly the replies of kMinimumReplySize bytes or
// more as answers. The address is KESTROVA_TEST_NET.1 (127.0.0.1 when unset).
#include "platform/NetBiosStatusChannel.h"

#include <arpa/inet.h>
#include <cstdlib>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

struct Loopback {
    int responder = -1;
    uint32_t address = 0; // network order
    std::unique_ptr<NetBiosStatusChannel> channel;

    Loopback()
    {
        const char* net = std::getenv("KESTROVA_TEST_NET");
        const std::string host = std::string(net && *net ? net : "127.0.0") + ".1";
        sockaddr_in bound{};
        bound.sin_family = AF_INET;
        if (inet_pton(AF_INET, host.c_str(), &bound.sin_addr) != 1)
            std::abort();
        responder = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        socklen_t length = sizeof bound;
        if (responder < 0 || bind(responder, reinterpret_cast<sockaddr*>(&bound), sizeof bound) != 0 ||
            getsockname(responder, reinterpret_cast<sockaddr*>(&bound), &length) != 0)
            std::abort();
        address = bound.sin_addr.s_addr;
        channel = std::make_unique<NetBiosStatusChannel>(ntohs(bound.sin_port));
        if (!channel->usable())
            std::abort();
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Loopback loopback;
    static ProbeId nextId = 1;
    if (size > 65507)
        return 0;
    const ProbeId id = nextId++;
    if (loopback.channel->begin(id, loopback.address) != ProbeStatus::Pending)
        std::abort();
    char request[512];
    sockaddr_in asker{};
    socklen_t length = sizeof asker;
    if (recvfrom(loopback.responder, request, sizeof request, 0, reinterpret_cast<sockaddr*>(&asker),
                 &length) != 50)
        std::abort();
    if (sendto(loopback.responder, data, size, 0, reinterpret_cast<sockaddr*>(&asker), length) !=
        ssize_t(size))
        std::abort();
    std::vector<ProbeOutcome> outcomes;
    loopback.channel->collect(outcomes);
    const bool answered = size >= size_t(NetBiosStatusChannel::kMinimumReplySize);
    if (outcomes.size() != 1 || outcomes[0].id != id || outcomes[0].answered != answered)
        std::abort();
    return 0;
}
