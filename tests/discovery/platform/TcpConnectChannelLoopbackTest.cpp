#include "model/IpAddress.h"
#include "platform/TcpConnectChannel.h"

#include <arpa/inet.h>
#include <cstdlib>
#include <gtest/gtest.h>
#include <map>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// The loopback net of this worktree's tests (KESTROVA_TEST_NET, e.g. 127.0.26).
QString TestAddress(int host)
{
    const char* net = std::getenv("KESTROVA_TEST_NET");
    return QStringLiteral("%1.%2").arg(QString::fromLatin1(net && *net ? net : "127.0.2")).arg(host);
}

// A listening TCP socket on address:port (port 0 picks one).
class Listener {
public:
    explicit Listener(const QString& address)
    {
        m_fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_addr.s_addr = TextToIp(address);
        const int on = 1;
        setsockopt(m_fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        if (bind(m_fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 || listen(m_fd, 16) != 0)
            throw std::runtime_error("cannot listen on " + address.toStdString());
        socklen_t length = sizeof local;
        getsockname(m_fd, reinterpret_cast<sockaddr*>(&local), &length);
        m_port = ntohs(local.sin_port);
    }
    ~Listener() { close(m_fd); }
    uint16_t port() const { return m_port; }

private:
    int m_fd = -1;
    uint16_t m_port = 0;
};

std::map<ProbeId, bool> Drive(TcpConnectChannel& channel, size_t expected, std::chrono::milliseconds limit)
{
    std::map<ProbeId, bool> outcomes;
    const Clock::time_point deadline = Clock::now() + limit;
    while (outcomes.size() < expected && Clock::now() < deadline) {
        pollfd polled{channel.descriptor(), POLLIN, 0};
        poll(&polled, 1, 20);
        std::vector<ProbeOutcome> collected;
        channel.collect(collected);
        for (const ProbeOutcome& outcome : collected) {
            EXPECT_FALSE(outcomes.count(outcome.id)) << "reported twice: " << outcome.id;
            outcomes[outcome.id] = outcome.answered;
        }
    }
    return outcomes;
}

TEST(TcpConnectChannelLoopbackTest, ListeningAndRefusingHostsBothAnswer)
{
    const Listener open(TestAddress(41));
    // A free port for the refusal: bind one and close it again.
    uint16_t closedPort = 0;
    {
        const Listener temporary(TestAddress(42));
        closedPort = temporary.port();
    }
    TcpConnectChannel listening({closedPort, open.port()});
    ASSERT_TRUE(listening.usable());
    const ProbeStatus first = listening.begin(1, TextToIp(TestAddress(41)));
    std::map<ProbeId, bool> outcomes;
    if (first == ProbeStatus::Pending)
        outcomes = Drive(listening, 1, 5s);
    else
        outcomes[1] = first == ProbeStatus::Answered;
    ASSERT_TRUE(outcomes.count(1));
    EXPECT_TRUE(outcomes[1]);
    EXPECT_EQ(listening.pendingProbes(), 0u);

    // Only the refused port: the reset alone proves the host.
    TcpConnectChannel refused({closedPort});
    const ProbeStatus status = refused.begin(7, TextToIp(TestAddress(42)));
    if (status == ProbeStatus::Pending) {
        const std::map<ProbeId, bool> refusedOutcomes = Drive(refused, 1, 5s);
        ASSERT_TRUE(refusedOutcomes.count(7));
        EXPECT_TRUE(refusedOutcomes.at(7));
    } else {
        EXPECT_EQ(status, ProbeStatus::Answered);
    }
}

TEST(TcpConnectChannelLoopbackTest, CancelledProbeIsNeverReported)
{
    const Listener open(TestAddress(43));
    TcpConnectChannel channel({open.port()});
    const ProbeStatus status = channel.begin(3, TextToIp(TestAddress(43)));
    if (status != ProbeStatus::Pending)
        GTEST_SKIP() << "the loopback connect completed at once";
    channel.cancel(3);
    EXPECT_EQ(channel.pendingProbes(), 0u);
    EXPECT_TRUE(Drive(channel, 1, 300ms).empty());
}

TEST(TcpConnectChannelLoopbackTest, ErrorsCountAsTheHostAnsweringOnlyForConnectAndReset)
{
    EXPECT_TRUE(TcpConnectChannel::ConnectProvesHost(0));
    EXPECT_TRUE(TcpConnectChannel::ConnectProvesHost(ECONNREFUSED));
    EXPECT_FALSE(TcpConnectChannel::ConnectProvesHost(EHOSTUNREACH));
    EXPECT_FALSE(TcpConnectChannel::ConnectProvesHost(ENETUNREACH));
    EXPECT_FALSE(TcpConnectChannel::ConnectProvesHost(ETIMEDOUT));
}

} // namespace
