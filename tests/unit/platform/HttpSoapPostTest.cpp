#include "platform/HttpSoapPost.h"

#include <gtest/gtest.h>

namespace {

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
    PlatformError error;
    EXPECT_FALSE(
        PostSoap(QStringLiteral("https://198.18.0.2/x"), "x", std::chrono::milliseconds(100), {}, error));
    EXPECT_TRUE(error.failed());
    error = {};
    EXPECT_FALSE(
        PostSoap(QStringLiteral("http://some-name/x"), "x", std::chrono::milliseconds(100), {}, error));
    EXPECT_TRUE(error.message.contains(QStringLiteral("numeric")));
}

} // namespace
