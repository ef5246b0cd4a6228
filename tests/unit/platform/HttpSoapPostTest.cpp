#include "platform/HttpSoapPost.h"

#include <arpa/inet.h>
#include <cerrno>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

// A one-shot HTTP server on 127.0.0.1: reads the request, sends reply (nothing when
// empty), closes. The request it read is kept for the test.
class OneReplyServer {
public:
    explicit OneReplyServer(QByteArray reply) : m_reply(std::move(reply))
    {
        m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        EXPECT_EQ(::bind(m_listener, reinterpret_cast<sockaddr*>(&address), length), 0);
        EXPECT_EQ(::listen(m_listener, 1), 0);
        EXPECT_EQ(::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length), 0);
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { serve(); });
    }
    ~OneReplyServer()
    {
        m_thread.join();
        ::close(m_listener);
    }
    QString url() const { return QStringLiteral("http://127.0.0.1:%1/wsd").arg(m_port); }
    QByteArray request;

private:
    void serve()
    {
        const int client = ::accept(m_listener, nullptr, nullptr);
        if (client < 0)
            return;
        char buffer[4096];
        while (!request.contains("\r\n\r\nbody")) {
            const ssize_t got = ::recv(client, buffer, sizeof buffer, 0);
            if (got <= 0)
                break;
            request.append(buffer, got);
        }
        if (!m_reply.isEmpty())
            (void)::send(client, m_reply.constData(), size_t(m_reply.size()), MSG_NOSIGNAL);
        ::close(client);
    }

    QByteArray m_reply;
    int m_listener = -1;
    uint16_t m_port = 0;
    std::thread m_thread;
};

TEST(HttpSoapPostTest, AReplyArrivesAsTheResultsValue)
{
    OneReplyServer server("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello");
    const Result<THttpReply> reply = PostSoap(server.url(), "body", std::chrono::milliseconds(5000), {});
    ASSERT_TRUE(reply) << reply.error().message.toStdString();
    EXPECT_EQ(reply.value().status, 200);
    EXPECT_EQ(reply.value().body, QByteArray("hello"));
    EXPECT_TRUE(server.request.startsWith("POST /wsd HTTP/1.1\r\n"));
    EXPECT_TRUE(server.request.contains("Content-Length: 4\r\n"));
}

TEST(HttpSoapPostTest, AConnectionClosedWithoutAReplyIsAnError)
{
    OneReplyServer server{QByteArray()};
    const Result<THttpReply> reply = PostSoap(server.url(), "body", std::chrono::milliseconds(5000), {});
    ASSERT_FALSE(reply);
    EXPECT_EQ(reply.error().code, EPROTO);
}

TEST(HttpSoapPostTest, ContentLengthBodyIsCutAtItsLength)
{
    QString error;
    const QByteArray response =
        "HTTP/1.1 200 OK\r\nContent-Type: application/soap+xml\r\nContent-Length: 5\r\n\r\nhello";
    EXPECT_FALSE(ParseHttpResponse(response.left(response.size() - 1), false, error));
    EXPECT_TRUE(error.isEmpty());
    const std::optional<THttpReply> reply = ParseHttpResponse(response + "trailing", false, error);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->status, 200);
    EXPECT_EQ(reply->body, QByteArray("hello"));
    EXPECT_FALSE(ParseHttpResponse(response.left(response.size() - 1), true, error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(HttpSoapPostTest, ChunkedAndCloseDelimitedBodiesAreRead)
{
    QString error;
    const QByteArray chunked =
        "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabc\r\n4;x=y\r\ndefg\r\n0\r\n\r\n";
    const std::optional<THttpReply> reply = ParseHttpResponse(chunked, false, error);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->body, QByteArray("abcdefg"));
    EXPECT_FALSE(ParseHttpResponse(chunked.left(chunked.size() - 8), false, error));
    EXPECT_FALSE(
        ParseHttpResponse("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n", false, error));
    EXPECT_FALSE(error.isEmpty());

    error.clear();
    const QByteArray closing = "HTTP/1.0 400 Bad Request\r\nServer: x\r\n\r\nno";
    EXPECT_FALSE(ParseHttpResponse(closing, false, error));
    const std::optional<THttpReply> closed = ParseHttpResponse(closing, true, error);
    ASSERT_TRUE(closed);
    EXPECT_EQ(closed->status, 400);
    EXPECT_EQ(closed->body, QByteArray("no"));
}

TEST(HttpSoapPostTest, NonHttpRepliesAreErrors)
{
    QString error;
    EXPECT_FALSE(ParseHttpResponse("SSH-2.0-x\r\n\r\n", true, error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(HttpSoapPostTest, OnlyNumericHttpAddressesAreAsked)
{
    const Result<THttpReply> secure =
        PostSoap(QStringLiteral("https://198.18.0.2/x"), "x", std::chrono::milliseconds(100), {});
    EXPECT_FALSE(secure);
    EXPECT_EQ(secure.error().code, EINVAL);
    const Result<THttpReply> named =
        PostSoap(QStringLiteral("http://some-name/x"), "x", std::chrono::milliseconds(100), {});
    EXPECT_FALSE(named);
    EXPECT_TRUE(named.error().message.contains(QStringLiteral("numeric")));
}

} // namespace
