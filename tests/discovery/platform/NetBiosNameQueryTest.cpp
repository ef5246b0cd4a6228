#include "platform/NetBiosNameQuery.h"

#include "platform/NetBiosStatusChannel.h"
#include "support/NetBiosResponder.h"
#include "support/QStringPrinter.h"

#include <QList>
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <thread>

// The node status reply parser on made-up and damaged replies, and the blocking
// query against responders at loopback addresses (127.0.2.x, ports the kernel picks).
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

QByteArray Request()
{
    return NetBiosStatusChannel::BuildNodeStatusRequest(0x1234);
}

// A name table entry: 15 name bytes, the suffix, the flags.
QByteArray Entry(const QByteArray& name, char suffix, bool group)
{
    return name.leftJustified(15, ' ', true) + suffix +
           (group ? QByteArray("\x84\x00", 2) : QByteArray("\x04\x00", 2));
}

// A reply whose name table holds entries, built on the test responder's reply.
QByteArray ReplyWith(const QList<QByteArray>& entries)
{
    QByteArray reply = NetBiosResponder::BuildNodeStatusReply(Request(), "X").left(54);
    QByteArray data;
    data.append(static_cast<char>(entries.size()));
    for (const QByteArray& entry : entries)
        data.append(entry);
    data.append(QByteArray(46, '\0'));
    reply.append(static_cast<char>(data.size() >> 8));
    reply.append(static_cast<char>(data.size() & 0xFF));
    return reply + data;
}

TEST(NetBiosNameQueryTest, ReadsTheComputerNameFromTheTestResponder)
{
    const std::optional<TNetBiosNames> names =
        ParseNodeStatusReply(NetBiosResponder::BuildNodeStatusReply(Request(), "KESTROVA-TEST"));
    ASSERT_TRUE(names);
    EXPECT_EQ(names->computer, QStringLiteral("KESTROVA-TEST"));
    EXPECT_TRUE(names->group.isEmpty());
}

TEST(NetBiosNameQueryTest, TakesTheWorkstationNameAndTheFirstGroupWithSuffixZero)
{
    const std::optional<TNetBiosNames> names = ParseNodeStatusReply(ReplyWith(
        {Entry("KSERVER", '\x20', false), Entry("LABGROUP", '\x1e', true), Entry("LABGROUP", '\x00', true),
         Entry("KSERVER", '\x00', false), Entry("OTHER", '\x00', false)}));
    ASSERT_TRUE(names);
    EXPECT_EQ(names->computer, QStringLiteral("KSERVER"));
    EXPECT_EQ(names->group, QStringLiteral("LABGROUP"));
}

TEST(NetBiosNameQueryTest, AcceptsACompressedOwnerName)
{
    QByteArray reply = ReplyWith({Entry("KPOINTER", '\x00', false)});
    reply.replace(12, 34, QByteArray("\xC0\x0C", 2));
    const std::optional<TNetBiosNames> names = ParseNodeStatusReply(reply);
    ASSERT_TRUE(names);
    EXPECT_EQ(names->computer, QStringLiteral("KPOINTER"));
}

TEST(NetBiosNameQueryTest, RefusesRequestsErrorsAndDamagedReplies)
{
    EXPECT_FALSE(ParseNodeStatusReply(Request())) << "a request is no reply";
    QByteArray negative = ReplyWith({Entry("K", '\x00', false)});
    negative[3] = '\x03'; // name error
    EXPECT_FALSE(ParseNodeStatusReply(negative));
    QByteArray tooMany = ReplyWith({Entry("K", '\x00', false)});
    tooMany[56] = '\x40'; // 64 names announced, one present
    EXPECT_FALSE(ParseNodeStatusReply(tooMany));
    QByteArray shortData = ReplyWith({Entry("K", '\x00', false)});
    shortData[54] = '\x00';
    shortData[55] = '\x05'; // data length 5: the name count fits, no entry does
    EXPECT_FALSE(ParseNodeStatusReply(shortData));
    QByteArray wrongType = ReplyWith({Entry("K", '\x00', false)});
    wrongType[47] = '\x20';
    EXPECT_FALSE(ParseNodeStatusReply(wrongType));
    // Every cut of a good reply is refused or read without running past it.
    const QByteArray good = ReplyWith({Entry("KSERVER", '\x00', false), Entry("LABGROUP", '\x00', true)});
    for (qsizetype length = 0; length < 57 + 2 * 18; ++length)
        EXPECT_FALSE(ParseNodeStatusReply(good.left(length))) << length;
    // An owner name of labels running to the end.
    EXPECT_FALSE(ParseNodeStatusReply(good.left(12) + QByteArray(40, '\x3f')));
}

TEST(NetBiosNameQueryTest, QueryGetsTheNameAndEndsAtTheDeadlineOrOnStop)
{
    NetBiosResponder answering(QStringLiteral("127.0.2.51"));
    const std::optional<TNetBiosNames> names =
        QueryNetBiosNames(inet_addr("127.0.2.51"), Clock::now() + 2s, {}, answering.port());
    ASSERT_TRUE(names);
    EXPECT_EQ(names->computer, QStringLiteral("KESTROVA-TEST"));
    EXPECT_EQ(answering.requests().size(), 1u);

    NetBiosResponder silent(QStringLiteral("127.0.2.52"), 0, NetBiosResponder::Mode::Silent);
    Clock::time_point started = Clock::now();
    EXPECT_FALSE(QueryNetBiosNames(inet_addr("127.0.2.52"), started + 300ms, {}, silent.port()));
    EXPECT_GE(Clock::now() - started, 290ms);
    EXPECT_LT(Clock::now() - started, 2s);

    std::stop_source stop;
    std::jthread stopper([&] {
        std::this_thread::sleep_for(100ms);
        stop.request_stop();
    });
    started = Clock::now();
    EXPECT_FALSE(QueryNetBiosNames(inet_addr("127.0.2.52"), started + 10s, stop.get_token(), silent.port()));
    EXPECT_LT(Clock::now() - started, 2s); // not the 10 s deadline

    // Nobody on the port: the port-unreachable ends the wait at once.
    started = Clock::now();
    EXPECT_FALSE(QueryNetBiosNames(inet_addr("127.0.2.54"), started + 5s, {}, 9));
    EXPECT_LT(Clock::now() - started, 1s);

    NetBiosResponder shortReply(QStringLiteral("127.0.2.53"), 0, NetBiosResponder::Mode::ShortReply);
    EXPECT_FALSE(QueryNetBiosNames(inet_addr("127.0.2.53"), Clock::now() + 2s, {}, shortReply.port()));
}

} // namespace
