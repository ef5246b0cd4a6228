#include "engine/ShareAccess.h"

#include "model/Error.h"
#include "support/QStringPrinter.h"
#include "support/TraceCapture.h"
#include "support/engine/FakeShareNetwork.h"

#include <cerrno>
#include <gtest/gtest.h>

namespace {

using Attempt = FakeShareNetwork::ConnectAttempt;

class ShareAccessTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        net.addShare("\\\\HOST", "docs");
        net.addShare("\\\\HOST", "data$");
        net.addShare("\\\\HOST", "C$");
        net.addShare("\\\\HOST", "IPC$", ShareType::Ipc);
        net.addShare("\\\\HOST", "ADMIN$");
        net.addShare("\\\\HOST", "laser", ShareType::Printer);
        net.addShare("\\\\HOST", "com1$", ShareType::Comms);
    }

    QStringList SharesFor(THiddenShareMode mode)
    {
        TAccountMaskList none;
        TShareAccess access(client, none, mode);
        QStringList shares{"left over"};
        const bool found = access.EnumHostShares("\\\\HOST", shares);
        EXPECT_EQ(found, !shares.isEmpty());
        return shares;
    }

    FakeShareNetwork net;
    FakeShareClient client{net};
};

TEST_F(ShareAccessTest, HiddenShareModesTakeOnlyDiskSharesInHostOrder)
{
    EXPECT_EQ(SharesFor(THiddenShareMode::CommonOnly), QStringList({"docs"}));
    EXPECT_EQ(SharesFor(THiddenShareMode::HiddenOnly), QStringList({"data$", "C$", "ADMIN$"}));
    EXPECT_EQ(SharesFor(THiddenShareMode::CommonAndHidden), QStringList({"docs", "data$", "C$", "ADMIN$"}));
    EXPECT_EQ(SharesFor(THiddenShareMode::Unknown), QStringList());
}

TEST_F(ShareAccessTest, FailedShareListGivesNoShares)
{
    net.failShareList("\\\\HOST", EHOSTUNREACH, "No route to host");
    EXPECT_EQ(SharesFor(THiddenShareMode::CommonAndHidden), QStringList());
}

TEST_F(ShareAccessTest, TheListsCommentsAreKeptByShareNameTakenForTheSearchOrNot)
{
    net.addShare("\\\\HOST", "letters", ShareType::Disk, "Old letters, 1990-1999");
    net.addShare("\\\\HOST", "plotter", ShareType::Printer, "Second floor");
    TAccountMaskList none;
    TShareAccess access(client, none, THiddenShareMode::CommonOnly);
    QStringList shares;
    ASSERT_TRUE(access.EnumHostShares("\\\\HOST", shares));
    EXPECT_EQ(shares, QStringList({"docs", "letters"}));
    EXPECT_EQ(access.shareComments().value("letters"), "Old letters, 1990-1999");
    EXPECT_EQ(access.shareComments().value("plotter"), "Second floor");
    EXPECT_FALSE(access.shareComments().contains("docs")); // no comment: not kept
    EXPECT_EQ(access.shareComments().size(), 2);

    // A failed listing leaves nothing of the one before.
    net.failShareList("\\\\HOST", ETIMEDOUT, "Connection timed out");
    EXPECT_FALSE(access.EnumHostShares("\\\\HOST", shares));
    EXPECT_TRUE(access.shareComments().isEmpty());
}

class ThrowingShareClient : public FakeShareClient {
public:
    using FakeShareClient::FakeShareClient;
    Result<std::vector<ShareInfo>> listShares(const QString&) override
    {
        throw std::runtime_error("pipe broke");
    }
};

TEST_F(ShareAccessTest, ErrorWhileListingBecomesTheEnumerationError)
{
    ThrowingShareClient throwing(net);
    TAccountMaskList none;
    TShareAccess access(throwing, none, THiddenShareMode::CommonOnly);
    QStringList shares;
    try {
        access.EnumHostShares("\\\\HOST", shares);
        FAIL() << "no error raised";
    } catch (const EKestrovaError& error) {
        EXPECT_EQ(error.message(), "TWorkerThread: EnumHostResources");
    }
}

TEST_F(ShareAccessTest, LogonTriesThreeWaysPerMatchingAccountInListOrder)
{
    const auto masks = BuildAccountMasks({
        {"\\\\OTHER", "nobody", "x"},
        {"\\\\HOST*", "first", "pw1"},
        {"\\\\HO*", "second", "pw2"},
    });
    TShareAccess access(client, masks, THiddenShareMode::CommonOnly);
    QString user = "stale";
    EXPECT_FALSE(access.LogonTo("\\\\HOST\\docs", user));
    EXPECT_TRUE(user.isEmpty());
    const std::vector<Attempt> expected{
        {"\\\\HOST\\docs", QString("first"), QString("pw1"), false},
        {"\\\\HOST\\docs", QString("first"), std::nullopt, false},
        {"\\\\HOST\\docs", std::nullopt, QString("pw1"), false},
        {"\\\\HOST\\docs", QString("second"), QString("pw2"), false},
        {"\\\\HOST\\docs", QString("second"), std::nullopt, false},
        {"\\\\HOST\\docs", std::nullopt, QString("pw2"), false},
    };
    EXPECT_EQ(net.connectAttempts(), expected);
}

TEST_F(ShareAccessTest, LogonStopsAtTheFirstConnectionMade)
{
    net.acceptCredentials("\\\\HOST", QString("first"), std::nullopt);
    net.acceptCredentials("\\\\HOST", QString("second"), QString("pw2"));
    const auto masks = BuildAccountMasks({{"\\\\HOST", "first", "pw1"}, {"\\\\HOST", "second", "pw2"}});
    TShareAccess access(client, masks, THiddenShareMode::CommonOnly);
    QString user;
    EXPECT_TRUE(access.LogonTo("\\\\HOST", user));
    EXPECT_EQ(user, "first");
    const auto attempts = net.connectAttempts();
    ASSERT_EQ(attempts.size(), 2u); // the second account is never tried
    EXPECT_TRUE(attempts[1].succeeded);
}

TEST_F(ShareAccessTest, PasswordWithoutUserIsTheLastAttempt)
{
    net.acceptCredentials("\\\\HOST\\docs", std::nullopt, QString("pw"));
    const auto masks = BuildAccountMasks({{"\\\\HOST\\docs", "someone", "pw"}});
    TShareAccess access(client, masks, THiddenShareMode::CommonOnly);
    QString user;
    EXPECT_TRUE(access.LogonTo("\\\\HOST\\docs", user));
    EXPECT_EQ(user, "someone");
    EXPECT_EQ(net.connectAttempts().size(), 3u);
}

TEST_F(ShareAccessTest, WithoutMatchingAccountNothingIsAttempted)
{
    // A bare host account serves only the host itself, not its shares.
    const auto masks = BuildAccountMasks({{"\\\\HOST", "u", "p"}, {"HOST*", "u", "p"}});
    TShareAccess access(client, masks, THiddenShareMode::CommonOnly);
    QString user;
    EXPECT_FALSE(access.LogonTo("\\\\HOST\\docs", user));
    EXPECT_TRUE(net.connectAttempts().empty());
}

TEST_F(ShareAccessTest, CancelConnectionDropsIt)
{
    TAccountMaskList none;
    TShareAccess access(client, none, THiddenShareMode::CommonOnly);
    access.CancelConnection("\\\\HOST\\docs");
    EXPECT_EQ(net.cancelledConnections(), std::vector<QString>({"\\\\HOST\\docs"}));
}

TEST(BuildAccountMasksTest, InvalidComputerMaskRaises)
{
    EXPECT_THROW(BuildAccountMasks({{"\\\\[", "u", "p"}}), EKestrovaError);
}

TEST_F(ShareAccessTest, AFailedShareListLeavesATraceWithItsCode)
{
    net.failShareList("\\\\HOST", EACCES, "Access denied");
    TraceCapture trace("kestrova.smb");
    QStringList shares;
    TAccountMaskList none;
    EXPECT_FALSE(TShareAccess(client, none, THiddenShareMode::CommonOnly).EnumHostShares("\\\\HOST", shares));
    const QString line = trace.find("Cannot list the shares of");
    EXPECT_TRUE(line.contains("\\\\HOST")) << line.toStdString();
    EXPECT_TRUE(line.contains(QString::number(EACCES))) << line.toStdString();
    EXPECT_TRUE(line.contains("Access denied")) << line.toStdString();
}

TEST_F(ShareAccessTest, EveryLogonAttemptIsTracedWithoutItsPassword)
{
    net.acceptCredentials("\\\\HOST", std::nullopt, QString("secret-pw"));
    const auto masks = BuildAccountMasks({{"\\\\HOST", "first", "secret-pw"}});
    TraceCapture trace("kestrova.smb");
    QString userName;
    EXPECT_TRUE(TShareAccess(client, masks, THiddenShareMode::CommonOnly).LogonTo("\\\\HOST", userName));
    QStringList logons;
    for (const QString& message : trace.messages())
        if (message.contains("Logon to"))
            logons << message;
    ASSERT_EQ(logons.size(), 3) << trace.messages().join('\n').toStdString();
    EXPECT_TRUE(logons[0].contains("first") && logons[0].contains(QString::number(EACCES)))
        << logons[0].toStdString();
    EXPECT_TRUE(logons[1].contains("without password")) << logons[1].toStdString();
    EXPECT_TRUE(logons[2].contains("<current user>") && logons[2].contains(": 0")) << logons[2].toStdString();
    for (const QString& message : trace.messages())
        EXPECT_FALSE(message.contains("secret-pw")) << message.toStdString();
}

} // namespace
