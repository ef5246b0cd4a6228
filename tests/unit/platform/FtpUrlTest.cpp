#include "platform/FtpUrl.h"

#include "platform/FtpFailure.h"

#include <gtest/gtest.h>

namespace {

TEST(FtpUrlTest, ServerUrlsTakePlainHostNamesAndAddressesOnly)
{
    EXPECT_EQ(FtpServerUrl("fileserver", 21), "ftp://fileserver:21/");
    EXPECT_EQ(FtpServerUrl("127.0.3.1", 2121), "ftp://127.0.3.1:2121/");
    EXPECT_EQ(FtpServerUrl("my_pc.lan", 21), "ftp://my_pc.lan:21/");
    EXPECT_EQ(FtpServerUrl("fe80::1", 21), "ftp://[fe80::1]:21/");
    // Anything that would change the user, host, port or path of the request.
    for (const char* name :
         {"", "user@host", "host:99", "host/x", "a b", "host#1", "host?x", "[::1]", "h%41"})
        EXPECT_TRUE(FtpServerUrl(QString::fromLatin1(name), 21).isEmpty()) << name;
}

TEST(FtpUrlTest, AbsoluteFolderUrlsEscapeEverySegment)
{
    const QByteArray server = "ftp://h:21/";
    EXPECT_EQ(FtpFolderUrl(server, "/", true), "ftp://h:21/%2F/");
    EXPECT_EQ(FtpFolderUrl(server, "/pub/sub", true), "ftp://h:21/%2Fpub/sub/");
    EXPECT_EQ(FtpFolderUrl(server, "/home/ftp/", true), "ftp://h:21/%2Fhome/ftp/");
    EXPECT_EQ(FtpFolderUrl(server, "/a b/#1/100%/what?/\xc3\xa9/\xe9", true),
              "ftp://h:21/%2Fa%20b/%231/100%25/what%3F/%C3%A9/%E9/");
    EXPECT_EQ(FtpFolderUrl(server, "/semi;colon+and&=", true), "ftp://h:21/%2Fsemi%3Bcolon%2Band%26%3D/");
}

TEST(FtpUrlTest, RelativeFolderUrlsStartAtTheLoginDirectory)
{
    const QByteArray server = "ftp://h:21/";
    EXPECT_EQ(FtpFolderUrl(server, "", false), "ftp://h:21/");
    EXPECT_EQ(FtpFolderUrl(server, "/SOFTWARE/TOOLS", false), "ftp://h:21/SOFTWARE/TOOLS/");
}

TEST(FtpFailureTest, ClassifiesByCodeNotByText)
{
    EXPECT_EQ(ClassifyFtpFailure(CURLE_OK, 226), FtpFailure::None);
    EXPECT_EQ(ClassifyFtpFailure(CURLE_ABORTED_BY_CALLBACK, 0), FtpFailure::Stopped);
    EXPECT_EQ(ClassifyFtpFailure(CURLE_COULDNT_CONNECT, 0), FtpFailure::NoServer);
    EXPECT_EQ(ClassifyFtpFailure(CURLE_LOGIN_DENIED, 530), FtpFailure::LoginRefused);
    EXPECT_EQ(ClassifyFtpFailure(CURLE_FTP_WEIRD_PASS_REPLY, 530), FtpFailure::LoginRefused);
    EXPECT_EQ(ClassifyFtpFailure(CURLE_FTP_WEIRD_SERVER_REPLY, 421), FtpFailure::NoServer);
    EXPECT_EQ(ClassifyFtpFailure(CURLE_REMOTE_ACCESS_DENIED, 550), FtpFailure::FolderUnavailable);
    EXPECT_EQ(ClassifyFtpFailure(CURLE_FTP_ACCEPT_TIMEOUT, 150), FtpFailure::DataConnection);
    EXPECT_EQ(ClassifyFtpFailure(CURLE_RECV_ERROR, 150), FtpFailure::ConnectionLost);
    EXPECT_EQ(ClassifyFtpFailure(CURLE_PARTIAL_FILE, 426), FtpFailure::ConnectionLost);
    EXPECT_EQ(ClassifyFtpFailure(CURLE_OPERATION_TIMEDOUT, 0), FtpFailure::TimedOut);
    EXPECT_EQ(ClassifyFtpFailure(CURLE_QUOTE_ERROR, 550), FtpFailure::FolderUnavailable);
    EXPECT_EQ(ClassifyFtpFailure(CURLE_QUOTE_ERROR, 500), FtpFailure::Protocol);
    EXPECT_EQ(ClassifyFtpFailure(CURLE_PEER_FAILED_VERIFICATION, 234), FtpFailure::Tls);
    EXPECT_EQ(ClassifyFtpFailure(CURLE_SSL_CONNECT_ERROR, 234), FtpFailure::Tls);
    EXPECT_EQ(ClassifyFtpFailure(CURLE_USE_SSL_FAILED, 504), FtpFailure::Tls);
    EXPECT_TRUE(FtpFailureEndsConnection(FtpFailure::Tls));
}

TEST(FtpFailureTest, OnlyFolderAndSizeFailuresKeepTheConnection)
{
    EXPECT_FALSE(FtpFailureEndsConnection(FtpFailure::None));
    EXPECT_FALSE(FtpFailureEndsConnection(FtpFailure::FolderUnavailable));
    EXPECT_FALSE(FtpFailureEndsConnection(FtpFailure::TooLarge));
    for (FtpFailure failure :
         {FtpFailure::Stopped, FtpFailure::NoServer, FtpFailure::LoginRefused, FtpFailure::DataConnection,
          FtpFailure::ConnectionLost, FtpFailure::TimedOut, FtpFailure::Protocol})
        EXPECT_TRUE(FtpFailureEndsConnection(failure)) << static_cast<int>(failure);
}

TEST(FtpFailureTest, ErrorsCarryTheCodeLibcurlsTextAndTheReply)
{
    const PlatformError error = FtpPlatformError(CURLE_LOGIN_DENIED, 530, "Access denied: 530\n");
    EXPECT_EQ(error.code, CURLE_LOGIN_DENIED);
    EXPECT_TRUE(error.message.startsWith(QString::fromUtf8(curl_easy_strerror(CURLE_LOGIN_DENIED))));
    EXPECT_TRUE(error.message.contains("Access denied: 530 (server reply 530)"))
        << error.message.toStdString();
    EXPECT_FALSE(FtpPlatformError(CURLE_OK, 226, "").failed());
}

} // namespace
