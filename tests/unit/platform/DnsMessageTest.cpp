#include "platform/DnsMessage.h"

#include <gtest/gtest.h>
#include <random>

namespace {

// Builds response packets by hand, as a responder would put them on the wire.
class Packet {
public:
    Packet& u8(int value)
    {
        m_bytes.append(static_cast<char>(value));
        return *this;
    }
    Packet& u16(int value) { return u8(value >> 8).u8(value & 0xFF); }
    Packet& u32(uint32_t value)
    {
        return u16(static_cast<int>(value >> 16)).u16(static_cast<int>(value & 0xFFFF));
    }
    Packet& name(const QByteArray& dotted)
    {
        for (const QByteArray& label : dotted.split('.'))
            u8(static_cast<int>(label.size())).raw(label);
        return u8(0);
    }
    Packet& pointer(int offset) { return u16(0xC000 | offset); }
    Packet& raw(const QByteArray& bytes)
    {
        m_bytes.append(bytes);
        return *this;
    }
    Packet& header(int questions, int answers, int additional = 0)
    {
        return u16(0).u16(0x8400).u16(questions).u16(answers).u16(0).u16(additional);
    }
    int size() const { return static_cast<int>(m_bytes.size()); }
    const QByteArray& bytes() const { return m_bytes; }

private:
    QByteArray m_bytes;
};

// A typical answer to a _smb._tcp browse: PTR, then SRV, TXT and A as additional
// records, compressed against the earlier names.
QByteArray SmbAnswer()
{
    Packet p;
    p.header(0, 1, 3);
    const int service = p.size();
    p.name("_smb._tcp.local").u16(Dns::TypePtr).u16(1).u32(4500);
    Packet instance;
    instance.u8(6).raw("KHOST1").pointer(service);
    p.u16(instance.size());
    const int instanceName = p.size();
    p.raw(instance.bytes());
    // SRV
    p.pointer(instanceName).u16(Dns::TypeSrv).u16(0x8001).u32(120);
    Packet srv;
    srv.u16(0).u16(0).u16(445).u8(6).raw("khost1").u8(5).raw("local").u8(0);
    p.u16(srv.size());
    const int target = p.size() + 6;
    p.raw(srv.bytes());
    // TXT
    p.pointer(instanceName).u16(Dns::TypeTxt).u16(0x8001).u32(4500);
    p.u16(1 + 7 + 1 + 5).u8(7).raw("model=X").u8(5).raw("a=b=c");
    // A
    p.pointer(target).u16(Dns::TypeA).u16(0x8001).u32(120).u16(4).u8(198).u8(18).u8(0).u8(3);
    return p.bytes();
}

// A record of an unknown type whose data holds "x" and a chain of pointers, each to
// the one before; a second record is named by a pointer to the chain's end, so its
// name takes links + 1 pointers to read.
QByteArray PointerChain(int links)
{
    Packet p;
    p.header(0, 2).name("h.local").u16(99).u16(1).u32(1).u16(3 + 2 * links);
    const int x = p.size();
    p.u8(1).raw("x").u8(0);
    int previous = x;
    for (int i = 0; i < links; ++i) {
        const int here = p.size();
        p.pointer(previous);
        previous = here;
    }
    p.pointer(previous).u16(99).u16(1).u32(1).u16(0);
    return p.bytes();
}

TEST(DnsMessageTest, QueryCarriesOneQuestionWithTheUnicastBitWhenAsked)
{
    const QByteArray query = Dns::BuildQuery(QStringLiteral("_smb._tcp.local"), Dns::TypePtr, true, 0x1234);
    Packet expected;
    expected.u16(0x1234).u16(0).u16(1).u16(0).u16(0).u16(0).name("_smb._tcp.local").u16(12).u16(0x8001);
    EXPECT_EQ(query.toHex(), expected.bytes().toHex());

    const std::optional<Dns::Message> parsed =
        Dns::ParseMessage(Dns::BuildQuery(QStringLiteral("_ftp._tcp.local."), Dns::TypePtr, false));
    ASSERT_TRUE(parsed);
    EXPECT_FALSE(parsed->isResponse());
    ASSERT_EQ(parsed->questions.size(), 1u);
    EXPECT_EQ(parsed->questions[0].name, QStringLiteral("_ftp._tcp.local"));
    EXPECT_FALSE(parsed->questions[0].unicastResponse);
}

TEST(DnsMessageTest, NamesThatCannotBeEncodedGiveNoQuery)
{
    EXPECT_TRUE(Dns::BuildQuery(QStringLiteral("a..local"), Dns::TypePtr, false).isEmpty());
    EXPECT_TRUE(Dns::BuildQuery(QString(64, u'x') + QStringLiteral(".local"), Dns::TypePtr, false).isEmpty());
}

TEST(DnsMessageTest, ResponseRecordsAreReadThroughCompressedNames)
{
    const std::optional<Dns::Message> message = Dns::ParseMessage(SmbAnswer());
    ASSERT_TRUE(message);
    EXPECT_TRUE(message->isResponse());
    ASSERT_EQ(message->records.size(), 4u);
    const Dns::Record& ptr = message->records[0];
    EXPECT_EQ(ptr.type, Dns::TypePtr);
    EXPECT_EQ(ptr.name, QStringLiteral("_smb._tcp.local"));
    EXPECT_EQ(ptr.target, QStringLiteral("KHOST1._smb._tcp.local"));
    EXPECT_EQ(ptr.ttl, 4500u);
    const Dns::Record& srv = message->records[1];
    EXPECT_EQ(srv.name, QStringLiteral("KHOST1._smb._tcp.local"));
    EXPECT_EQ(srv.recordClass, Dns::kClassIn); // cache-flush bit removed
    EXPECT_EQ(srv.port, 445);
    EXPECT_EQ(srv.target, QStringLiteral("khost1.local"));
    const Dns::Record& txt = message->records[2];
    EXPECT_EQ(txt.texts, (QList<QByteArray>{"model=X", "a=b=c"}));
    const Dns::Record& a = message->records[3];
    EXPECT_EQ(a.name, QStringLiteral("khost1.local"));
    EXPECT_EQ(a.address, QStringLiteral("198.18.0.3"));
}

TEST(DnsMessageTest, AaaaAndUnknownTypesAreRead)
{
    Packet p;
    p.header(0, 2).name("h.local").u16(Dns::TypeAaaa).u16(1).u32(10).u16(16);
    p.raw(QByteArray::fromHex("fe800000000000000000000000000001"));
    p.name("h.local").u16(99).u16(1).u32(10).u16(3).raw("xyz");
    const std::optional<Dns::Message> message = Dns::ParseMessage(p.bytes());
    ASSERT_TRUE(message);
    ASSERT_EQ(message->records.size(), 2u);
    EXPECT_EQ(message->records[0].address, QStringLiteral("fe80::1"));
    EXPECT_EQ(message->records[1].type, 99);
}

TEST(DnsMessageTest, EveryTruncationOfAGoodAnswerIsRejectedWithoutACrash)
{
    const QByteArray good = SmbAnswer();
    for (int length = 0; length < good.size(); ++length)
        EXPECT_FALSE(Dns::ParseMessage(good.left(length))) << length;
}

TEST(DnsMessageTest, PointerLoopsAndForwardChainsEnd)
{
    // A name that points at itself.
    Packet self;
    self.header(1, 0).pointer(12).u16(1).u16(1);
    EXPECT_FALSE(Dns::ParseMessage(self.bytes()));
    // Two pointers pointing at each other.
    Packet pair;
    pair.header(1, 0).u8(1).raw("a").pointer(16).pointer(12).u16(1).u16(1);
    EXPECT_FALSE(Dns::ParseMessage(pair.bytes()));
    // A pointer past the end.
    Packet outside;
    outside.header(1, 0).pointer(0x3FFF).u16(1).u16(1);
    EXPECT_FALSE(Dns::ParseMessage(outside.bytes()));
    // Forward chains without a loop: within the limit they resolve, past it they are refused.
    EXPECT_TRUE(Dns::ParseMessage(PointerChain(3)));
    EXPECT_FALSE(Dns::ParseMessage(PointerChain(Dns::kMaxNamePointers + 2)));
}

TEST(DnsMessageTest, NamesLongerThan255BytesAndReservedLabelTypesAreRefused)
{
    Packet longName;
    longName.header(1, 0);
    for (int i = 0; i < 5; ++i)
        longName.u8(60).raw(QByteArray(60, 'a'));
    longName.u8(0).u16(1).u16(1);
    EXPECT_FALSE(Dns::ParseMessage(longName.bytes()));
    Packet reserved;
    reserved.header(1, 0).u8(0x40).u8(0).u16(1).u16(1);
    EXPECT_FALSE(Dns::ParseMessage(reserved.bytes()));
}

TEST(DnsMessageTest, RecordDataThatDisagreesWithItsTypeIsRefused)
{
    Packet shortA;
    shortA.header(0, 1).name("h.local").u16(Dns::TypeA).u16(1).u32(1).u16(3).raw("abc");
    EXPECT_FALSE(Dns::ParseMessage(shortA.bytes()));
    Packet txtOverrun;
    txtOverrun.header(0, 1).name("h.local").u16(Dns::TypeTxt).u16(1).u32(1).u16(2).u8(5).u8('x');
    EXPECT_FALSE(Dns::ParseMessage(txtOverrun.bytes()));
    // A PTR whose name runs past its record data into the next bytes.
    Packet ptrOverrun;
    ptrOverrun.header(0, 1).name("h.local").u16(Dns::TypePtr).u16(1).u32(1).u16(2).u8(1).u8('x').u8(0);
    EXPECT_FALSE(Dns::ParseMessage(ptrOverrun.bytes()));
    // Counts promising more records than the packet holds.
    Packet counts;
    counts.header(0, 65535);
    EXPECT_FALSE(Dns::ParseMessage(counts.bytes()));
    EXPECT_FALSE(Dns::ParseMessage(QByteArray(Dns::kMaxMessageSize + 1, '\0')));
}

TEST(DnsMessageTest, RandomDamageNeverCrashes)
{
    const QByteArray good = SmbAnswer();
    std::mt19937 random(42);
    int parsed = 0;
    for (int round = 0; round < 20000; ++round) {
        QByteArray damaged = good;
        const int flips = 1 + static_cast<int>(random() % 4);
        for (int i = 0; i < flips; ++i)
            damaged[static_cast<qsizetype>(random() % damaged.size())] = static_cast<char>(random() & 0xFF);
        if (Dns::ParseMessage(damaged))
            ++parsed;
    }
    // Some damage (a changed TTL or address byte) leaves a valid message.
    EXPECT_GT(parsed, 0);
}

TEST(DnsMessageTest, NamesCompareWithoutCaseAndTrailingDot)
{
    EXPECT_TRUE(Dns::SameName(QStringLiteral("_SMB._tcp.Local."), QStringLiteral("_smb._tcp.local")));
    EXPECT_FALSE(Dns::SameName(QStringLiteral("_smb._tcp.local"), QStringLiteral("_ftp._tcp.local")));
}

} // namespace
