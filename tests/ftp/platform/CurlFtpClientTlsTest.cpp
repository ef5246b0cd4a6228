#include "platform/CurlFtpClient.h"
#include "support/FtpTestOptions.h"
#include "support/FtpTestServer.h"
#include "support/TempDir.h"

#include <QDir>
#include <QElapsedTimer>
#include <QJsonObject>
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <thread>
#include <unistd.h>

namespace {

const QString kAddress = QStringLiteral("127.0.3.3");

// The first reply line of the server to `command`, sent in plain text after its
// greeting; empty when the server could not be reached.
QByteArray PlainReplyTo(const QString& address, uint16_t port, const QByteArray& command)
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    timeval timeout{3, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    sockaddr_in server{};
    server.sin_family = AF_INET;
    server.sin_port = htons(port);
    inet_pton(AF_INET, address.toLatin1().constData(), &server.sin_addr);
    QByteArray received;
    if (connect(fd, reinterpret_cast<const sockaddr*>(&server), sizeof server) == 0) {
        char buffer[512];
        bool sent = false;
        for (ssize_t n; (n = recv(fd, buffer, sizeof buffer, 0)) > 0;) {
            received.append(buffer, n);
            if (!sent && received.contains("\r\n")) {
                received.clear(); // the greeting
                const QByteArray line = command + "\r\n";
                sent = send(fd, line.constData(), size_t(line.size()), 0) == line.size();
            } else if (sent && received.contains("\r\n"))
                break;
        }
    }
    close(fd);
    return received.left(received.indexOf("\r\n"));
}

class CurlFtpClientTlsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir(tree.path()).mkpath("pub"));
        tree.write("pub/a.txt", "abc");
    }

    // Logs in and lists /pub; the names listed, or the error.
    static QString ListPub(CurlFtpClient& client)
    {
        if (!client.login(kAddress))
            return QStringLiteral("login failed: ") + client.lastError().message;
        Result<std::vector<FtpListEntry>> listing = client.list(QStringLiteral("/pub"));
        if (!listing)
            return QStringLiteral("listing failed: ") + listing.error().message;
        QStringList names;
        for (const FtpListEntry& entry : listing.value())
            names << entry.name + u' ' + QString::number(entry.size);
        client.logout();
        return names.join(u',');
    }

    TempDir tree;
};

TEST_F(CurlFtpClientTlsTest, AServerThatOffersTlsIsUsedEncrypted)
{
    START_OR_SKIP(
        server, FtpTestServer::serveFolderOverTls(kAddress, tree.path(), FtpTestServer::Tls::Optional, why));
    // The certificate is self-signed: by default it is not checked.
    CurlFtpClient client(TestFtpOptions(server->port()));
    EXPECT_EQ(ListPub(client), QStringLiteral("a.txt 3"));
    EXPECT_TRUE(client.encrypted());

    const QByteArray log = server->commandLog();
    EXPECT_TRUE(log.startsWith("AUTH control=plain\n")) << log.toStdString();
    // Passive mode: libcurl 7.x would not encrypt a data connection the server opens.
    EXPECT_TRUE(log.contains("EPSV control=tls\n")) << log.toStdString();
    EXPECT_FALSE(log.contains("EPRT")) << log.toStdString();
    EXPECT_TRUE(log.contains("USER control=tls\n")) << log.toStdString();
    EXPECT_TRUE(log.contains("PROT control=tls\n")) << log.toStdString();
    EXPECT_TRUE(log.contains("LIST data=tls\n")) << log.toStdString();
    EXPECT_EQ(log.count("control=plain"), 1) << log.toStdString(); // AUTH alone
    EXPECT_FALSE(log.contains("data=plain")) << log.toStdString();
}

TEST_F(CurlFtpClientTlsTest, AServerThatRequiresTlsIsSearched)
{
    START_OR_SKIP(
        server, FtpTestServer::serveFolderOverTls(kAddress, tree.path(), FtpTestServer::Tls::Required, why));
    // The server turns away a client that logs in without TLS.
    EXPECT_TRUE(PlainReplyTo(kAddress, server->port(), "USER anonymous").startsWith("530"));

    CurlFtpClient client(TestFtpOptions(server->port()));
    EXPECT_EQ(ListPub(client), QStringLiteral("a.txt 3"));
    EXPECT_TRUE(server->commandLog().contains("LIST data=tls\n")) << server->commandLog().toStdString();
}

TEST_F(CurlFtpClientTlsTest, WithTheCheckOnAnUntrustedCertificateEndsTheHostWithoutPlainText)
{
    START_OR_SKIP(
        server, FtpTestServer::serveFolderOverTls(kAddress, tree.path(), FtpTestServer::Tls::Optional, why));
    FtpClientOptions options = TestFtpOptions(server->port());
    options.verifyCertificates = true;
    CurlFtpClient client(options);
    EXPECT_FALSE(client.login(kAddress));
    EXPECT_EQ(client.lastFailure(), FtpFailure::Tls) << client.lastError().message.toStdString();
    EXPECT_EQ(client.lastError().code, CURLE_PEER_FAILED_VERIFICATION);
    EXPECT_FALSE(server->commandLog().contains("USER")) << server->commandLog().toStdString();
}

TEST_F(CurlFtpClientTlsTest, WithTheCheckOnATrustedCertificateIsAccepted)
{
    START_OR_SKIP(
        server, FtpTestServer::serveFolderOverTls(kAddress, tree.path(), FtpTestServer::Tls::Required, why));
    FtpClientOptions options = TestFtpOptions(server->port());
    options.verifyCertificates = true;
    options.caFile = server->certificateFile().toLocal8Bit();
    ASSERT_FALSE(options.caFile.isEmpty());
    CurlFtpClient client(options);
    EXPECT_EQ(ListPub(client), QStringLiteral("a.txt 3"));
}

TEST_F(CurlFtpClientTlsTest, AServerWithoutTlsIsUsedInPlainText)
{
    QJsonObject listings{{"/", "-rw-r--r-- 1 u g 5 Jan  5  2020 plain.txt\r\n"}};
    START_OR_SKIP(server, FtpTestServer::serveScript(kAddress, {{"listings", listings}}, why));
    CurlFtpClient client(TestFtpOptions(server->port()));
    ASSERT_TRUE(client.login(kAddress)) << client.lastError().message.toStdString();
    EXPECT_FALSE(client.encrypted());
    Result<std::vector<FtpListEntry>> listing = client.list(QString());
    ASSERT_TRUE(listing) << listing.error().message.toStdString();
    ASSERT_EQ(listing.value().size(), 1u);
    EXPECT_EQ(listing.value()[0].name, "plain.txt");
    client.logout();

    const QByteArray log = server->commandLog();
    // Refused (libcurl then also tries the older AUTH SSL), and the login goes on.
    EXPECT_TRUE(log.startsWith("AUTH TLS\n")) << log.toStdString();
    EXPECT_LT(log.lastIndexOf("AUTH"), log.indexOf("USER anonymous")) << log.toStdString();
    EXPECT_FALSE(log.contains("PROT")) << log.toStdString();
    EXPECT_TRUE(log.contains("EPRT")) << log.toStdString(); // plain FTP stays in active mode
}

TEST_F(CurlFtpClientTlsTest, AFailedHandshakeIsFollowedByOnePlainLoginUnlessCertificatesAreChecked)
{
    QJsonObject listings{{"/", "-rw-r--r-- 1 u g 5 Jan  5  2020 plain.txt\r\n"}};
    START_OR_SKIP(server,
                  FtpTestServer::serveScript(kAddress, {{"listings", listings}, {"broken_tls", true}}, why));
    CurlFtpClient client(TestFtpOptions(server->port()));
    ASSERT_TRUE(client.login(kAddress)) << client.lastError().message.toStdString();
    EXPECT_FALSE(client.encrypted());
    Result<std::vector<FtpListEntry>> listing = client.list(QString());
    ASSERT_TRUE(listing) << listing.error().message.toStdString();
    EXPECT_EQ(listing.value().size(), 1u);
    client.logout();
    EXPECT_EQ(server->commandLog().count("AUTH"), 1) << server->commandLog().toStdString();
    EXPECT_EQ(server->commandLog().count("USER"), 1) << server->commandLog().toStdString();

    FtpClientOptions checking = TestFtpOptions(server->port());
    checking.verifyCertificates = true;
    CurlFtpClient careful(checking);
    EXPECT_FALSE(careful.login(kAddress));
    EXPECT_EQ(careful.lastFailure(), FtpFailure::Tls) << careful.lastError().message.toStdString();
    EXPECT_EQ(server->commandLog().count("USER"), 1) << server->commandLog().toStdString(); // none more
}

TEST_F(CurlFtpClientTlsTest, AHandshakeThatNeverEndsEndsWithinTheTimeoutsOrAtAStop)
{
    START_OR_SKIP(server, FtpTestServer::serveScript(kAddress, {{"silent_tls", true}}, why));
    CurlFtpClient client(TestFtpOptions(server->port()));
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(client.login(kAddress));
    EXPECT_LT(timer.elapsed(), 8000);
    EXPECT_EQ(server->commandLog().count("USER"), 0) << server->commandLog().toStdString();

    FtpClientOptions patient = TestFtpOptions(server->port());
    patient.connectTimeoutMs = 60000;
    patient.responseTimeoutMs = 60000;
    std::stop_source source;
    patient.stop = source.get_token();
    CurlFtpClient stopped(patient);
    timer.restart();
    std::thread stopper([&source] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        source.request_stop();
    });
    EXPECT_FALSE(stopped.login(kAddress));
    stopper.join();
    EXPECT_LT(timer.elapsed(), 300 + 1500);
    EXPECT_EQ(stopped.lastFailure(), FtpFailure::Stopped) << stopped.lastError().message.toStdString();
    EXPECT_EQ(server->commandLog().count("USER"), 0); // no plain login after the stop
}

} // namespace
