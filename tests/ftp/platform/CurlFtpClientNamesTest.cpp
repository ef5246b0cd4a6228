#include "platform/CurlFtpClient.h"
#include "support/FtpTestOptions.h"
#include "support/FtpTestServer.h"

#include <QJsonArray>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace {

const QString kAddress = QStringLiteral("127.0.3.1");

QStringList Names(const Result<std::vector<FtpListEntry>>& listing)
{
    QStringList names;
    if (listing) {
        for (const FtpListEntry& entry : listing.value())
            names << entry.name;
    }
    return names;
}

TEST(CurlFtpClientNamesTest, AServerWithUtf8InItsFeaturesIsAskedForUtf8AndReadAsUtf8)
{
    // "Übersicht" in UTF-8; "caf\xe9" is no UTF-8 at all and must not be guessed.
    QJsonObject listings{{"/", ScriptBytes("drwxr-xr-x 2 u g 0 Jan  5  2020 \xc3\x9c"
                                           "bersicht\r\n"
                                           "drwxr-xr-x 2 u g 0 Jan  5  2020 caf\xe9\r\n")},
                         {ScriptBytes("/caf\xe9"), "-rw-r--r-- 1 u g 1 Jan  5  2020 inside\r\n"}};
    QJsonObject script{{"listings", listings}, {"features", QJsonArray{"MDTM", "UTF8", "SIZE"}}};
    START_OR_SKIP(server, FtpTestServer::serveScript(kAddress, script, why));
    CurlFtpClient client(TestFtpOptions(server->port()));
    ASSERT_TRUE(client.login(kAddress)) << client.lastError().message.toStdString();
    EXPECT_TRUE(client.utf8Names());

    const Result<std::vector<FtpListEntry>> root = client.list(QString());
    EXPECT_EQ(Names(root), QStringList({QString::fromUtf8("Übersicht"), QStringLiteral("caf\uFFFD")}));
    // The undecodable folder is still asked for with the server's own bytes.
    EXPECT_EQ(Names(client.list(QStringLiteral("/caf\uFFFD"))), QStringList({"inside"}));
    client.logout();

    const QByteArray log = server->commandLog();
    EXPECT_EQ(log.count("FEAT\n"), 1);
    EXPECT_EQ(log.count("OPTS UTF8 ON\n"), 1) << log.toStdString(); // once per connection
    EXPECT_LT(log.indexOf("OPTS UTF8 ON"), log.indexOf("LIST")) << log.toStdString();
    EXPECT_TRUE(log.contains("CWD /caf\xe9\n")) << log.toStdString();
}

TEST(CurlFtpClientNamesTest, AServerWithoutUtf8InItsFeaturesGetsUtf8WhereValidElseWindows1252)
{
    // 0x80 is the euro sign in Windows-1252 (a control character in Latin-1).
    QJsonObject listings{{"/", ScriptBytes("-rw-r--r-- 1 u g 1 Jan  5  2020 \x80uro \xe9t\xe9\r\n"
                                           "-rw-r--r-- 1 u g 1 Jan  5  2020 na\xc3\xafve\r\n")}};
    QJsonObject script{{"listings", listings}, {"features", QJsonArray{"MDTM", "SIZE"}}};
    START_OR_SKIP(server, FtpTestServer::serveScript(kAddress, script, why));
    CurlFtpClient client(TestFtpOptions(server->port()));
    ASSERT_TRUE(client.login(kAddress)) << client.lastError().message.toStdString();
    EXPECT_FALSE(client.utf8Names());
    EXPECT_EQ(Names(client.list(QString())),
              QStringList({QString::fromUtf8("€uro été"), QString::fromUtf8("naïve")}));
    client.logout();

    const QByteArray log = server->commandLog();
    EXPECT_TRUE(log.contains("FEAT\n"));
    EXPECT_FALSE(log.contains("OPTS")) << log.toStdString();
}

} // namespace
