#include "platform/SmbAgentProtocol.h"

#include "support/QStringPrinter.h"

#include <QElapsedTimer>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using namespace SmbAgentProtocol;

namespace {

// Both ends of a connected socket pair, closed at the end of the test.
struct SocketPair {
    int ends[2] = {-1, -1};
    SocketPair() { EXPECT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends), 0); }
    ~SocketPair()
    {
        closeEnd(0);
        closeEnd(1);
    }
    void closeEnd(int i)
    {
        if (ends[i] >= 0)
            ::close(ends[i]);
        ends[i] = -1;
    }
};

void writeRaw(int fd, const QByteArray& bytes)
{
    ASSERT_EQ(::write(fd, bytes.constData(), size_t(bytes.size())), bytes.size());
}

} // namespace

TEST(SmbAgentProtocolTest, FieldsRoundTripInOrder)
{
    QByteArray blob("\0\x01\xff binary", 10);
    QByteArray payload = PayloadWriter(MessageType::ListFolder)
                             .u8(0xA5)
                             .u16(0xBEEF)
                             .u32(0xFFFFFFFFu)
                             .i32(-5)
                             .i64(int64_t(5) << 32 | 7)
                             .i64(-1)
                             .string(QStringLiteral("日本語 %?#"))
                             .string(QString())
                             .bytes(blob)
                             .payload();
    PayloadReader in(payload);
    EXPECT_EQ(in.type(), MessageType::ListFolder);
    EXPECT_EQ(in.u8(), 0xA5);
    EXPECT_EQ(in.u16(), 0xBEEF);
    EXPECT_EQ(in.u32(), 0xFFFFFFFFu);
    EXPECT_EQ(in.i32(), -5);
    EXPECT_EQ(in.i64(), int64_t(5) << 32 | 7);
    EXPECT_EQ(in.i64(), -1);
    EXPECT_EQ(in.string(), QStringLiteral("日本語 %?#"));
    EXPECT_EQ(in.string(), QString());
    EXPECT_EQ(in.bytes(), blob);
    EXPECT_TRUE(in.complete());
}

TEST(SmbAgentProtocolTest, IntegersAreLittleEndianOnTheWire)
{
    QByteArray payload = PayloadWriter(MessageType::Ok).u32(0x01020304).i64(-2).payload();
    ASSERT_EQ(payload.size(), 1 + 4 + 8);
    EXPECT_EQ(payload.at(0), char(0x80));
    EXPECT_EQ(payload.mid(1, 4), QByteArray("\x04\x03\x02\x01", 4));
    EXPECT_EQ(payload.mid(5), QByteArray("\xfe\xff\xff\xff\xff\xff\xff\xff", 8));
}

TEST(SmbAgentProtocolTest, TruncatedPayloadIsDetectedNotOverread)
{
    QByteArray full =
        PayloadWriter(MessageType::Error).i32(13).string(QStringLiteral("Permission denied")).payload();
    for (qsizetype cut = 1; cut < full.size(); ++cut) {
        PayloadReader in(full.left(cut));
        in.i32();
        QString message = in.string();
        EXPECT_FALSE(in.ok()) << "cut at " << cut;
        EXPECT_TRUE(message.isEmpty()) << "cut at " << cut;
    }
    PayloadReader whole(full);
    EXPECT_EQ(whole.i32(), 13);
    EXPECT_EQ(whole.string(), QStringLiteral("Permission denied"));
    EXPECT_TRUE(whole.complete());
}

TEST(SmbAgentProtocolTest, HugeLengthFieldFailsInsteadOfAllocating)
{
    QByteArray payload = PayloadWriter(MessageType::Ok).u32(0xFFFFFFF0u).payload() + QByteArray("abc");
    PayloadReader in(payload);
    EXPECT_TRUE(in.bytes().isEmpty());
    EXPECT_FALSE(in.ok());
}

TEST(SmbAgentProtocolTest, LeftoverBytesMeanIncomplete)
{
    PayloadReader in(PayloadWriter(MessageType::Ok).u32(1).u32(2).payload());
    EXPECT_EQ(in.u32(), 1u);
    EXPECT_TRUE(in.ok());
    EXPECT_FALSE(in.complete());
}

TEST(SmbAgentProtocolTest, EmptyPayloadHasNoType)
{
    PayloadReader in{QByteArray()};
    EXPECT_FALSE(in.ok());
}

TEST(SmbAgentProtocolTest, FramesCrossASocketIntactAndInOrder)
{
    SocketPair pair;
    QByteArray big(3 * 1024 * 1024, 'x'); // more than a socket buffer holds
    big[12345] = 'y';
    QByteArray first = PayloadWriter(MessageType::Probe).string(QStringLiteral("host")).payload();
    QByteArray second = PayloadWriter(MessageType::Ok).bytes(big).payload();
    std::thread writer([&] {
        EXPECT_EQ(writeFrame(pair.ends[0], first), IoStatus::Ok);
        EXPECT_EQ(writeFrame(pair.ends[0], second), IoStatus::Ok);
    });
    QByteArray got;
    EXPECT_EQ(readFrame(pair.ends[1], got, 10000), IoStatus::Ok);
    EXPECT_EQ(got, first);
    EXPECT_EQ(readFrame(pair.ends[1], got, 10000), IoStatus::Ok);
    EXPECT_EQ(got, second);
    writer.join();
}

// Not every stream is a socket: a pipe takes the write and read fallbacks, and a frame
// larger than the pipe's buffer is written in parts.
TEST(SmbAgentProtocolTest, FramesCrossAPipeIntactAndInOrder)
{
    int ends[2] = {-1, -1};
    ASSERT_EQ(::pipe2(ends, O_CLOEXEC), 0);
    QByteArray big(1024 * 1024 + 7, 'p');
    big[70000] = 'q';
    const QByteArray first = PayloadWriter(MessageType::Ok).bytes(big).payload();
    const QByteArray second = PayloadWriter(MessageType::Cancel).string(QStringLiteral("s")).payload();
    std::thread writer([&] {
        EXPECT_EQ(writeFrame(ends[1], first), IoStatus::Ok);
        EXPECT_EQ(writeFrame(ends[1], second), IoStatus::Ok);
    });
    QByteArray got;
    EXPECT_EQ(readFrame(ends[0], got, 10000), IoStatus::Ok);
    EXPECT_EQ(got, first);
    EXPECT_EQ(readFrame(ends[0], got, 10000, [] { return false; }), IoStatus::Ok);
    EXPECT_EQ(got, second);
    writer.join();
    ::close(ends[1]);
    EXPECT_EQ(readFrame(ends[0], got, 1000), IoStatus::Closed);
    ::close(ends[0]);
}

TEST(SmbAgentProtocolTest, AFrameAlreadyWaitingIsReadWithoutADeadlineOrStopCheck)
{
    SocketPair pair;
    const QByteArray sent = PayloadWriter(MessageType::Ok).u32(7).payload();
    ASSERT_EQ(writeFrame(pair.ends[0], sent), IoStatus::Ok);
    ASSERT_EQ(writeFrame(pair.ends[0], sent), IoStatus::Ok);
    QByteArray got;
    EXPECT_EQ(readFrame(pair.ends[1], got), IoStatus::Ok);
    EXPECT_EQ(got, sent);
    int polls = 0;
    EXPECT_EQ(readFrame(pair.ends[1], got, 0, [&] { return ++polls > 100; }), IoStatus::Ok);
    EXPECT_EQ(got, sent);
}

TEST(SmbAgentProtocolTest, ACountPlacedFirstIsFilledInAfterItsItems)
{
    PayloadWriter out(MessageType::Ok);
    const qsizetype count = out.placeU32();
    out.bytes("first").bytes("");
    out.u8(9);
    out.setU32(count, 2);
    PayloadReader in(out.payload());
    EXPECT_EQ(in.u32(), 2u);
    EXPECT_EQ(in.string(), "first");
    EXPECT_EQ(in.bytes(), QByteArray());
    EXPECT_EQ(in.u8(), 9);
    EXPECT_TRUE(in.complete());
    // The count is little-endian like every other integer.
    EXPECT_EQ(out.payload().mid(1, 4), QByteArray("\x02\x00\x00\x00", 4));
}

TEST(SmbAgentProtocolTest, ClosedPeerIsReportedAlsoMidFrame)
{
    SocketPair pair;
    pair.closeEnd(0);
    QByteArray got;
    EXPECT_EQ(readFrame(pair.ends[1], got, 1000), IoStatus::Closed);

    SocketPair partial;
    writeRaw(partial.ends[0], QByteArray("\x10\x00\x00\x00\x80\x01", 6)); // announces 16 bytes, sends 2
    partial.closeEnd(0);
    EXPECT_EQ(readFrame(partial.ends[1], got, 1000), IoStatus::Closed);
}

// Found by fuzz_smb_agent_protocol (every such input cost a 200 MiB allocation):
// a header announcing a large frame, then a few bytes and the end of the stream,
// reserves no more than what arrived.
TEST(SmbAgentProtocolTest, AnnouncedLengthIsNotReservedBeforeTheBytesArrive)
{
    SocketPair pair;
    writeRaw(pair.ends[0], QByteArray("\x00\x00\x80\x0c\x80\x01\x02", 7)); // 200 MiB announced, 3 sent
    pair.closeEnd(0);
    QByteArray got;
    EXPECT_EQ(readFrame(pair.ends[1], got, 1000), IoStatus::Closed);
    EXPECT_LE(got.capacity(), 2 * 1024 * 1024);
}

TEST(SmbAgentProtocolTest, ImpossibleLengthsAreCorruption)
{
    for (QByteArray header : {QByteArray("\x00\x00\x00\x00", 4), QByteArray("\xff\xff\xff\xff", 4)}) {
        SocketPair pair;
        writeRaw(pair.ends[0], header);
        QByteArray got;
        EXPECT_EQ(readFrame(pair.ends[1], got, 1000), IoStatus::Corrupted);
    }
}

TEST(SmbAgentProtocolTest, SilentPeerTimesOut)
{
    SocketPair pair;
    QByteArray got;
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(readFrame(pair.ends[1], got, 150), IoStatus::TimedOut);
    EXPECT_GE(timer.elapsed(), 140);
}

TEST(SmbAgentProtocolTest, StopCheckEndsTheWait)
{
    SocketPair pair;
    QByteArray got;
    int polls = 0;
    EXPECT_EQ(readFrame(pair.ends[1], got, -1, [&] { return ++polls >= 3; }), IoStatus::Stopped);
    EXPECT_EQ(polls, 3);
}

TEST(SmbAgentProtocolTest, WritingToAClosedPeerFailsWithoutSigpipe)
{
    // With the default SIGPIPE action a plain write() would end this test process.
    auto previous = std::signal(SIGPIPE, SIG_DFL);
    SocketPair pair;
    pair.closeEnd(1);
    EXPECT_EQ(writeFrame(pair.ends[0], PayloadWriter(MessageType::Ok).payload()), IoStatus::Closed);
    std::signal(SIGPIPE, previous);
}
