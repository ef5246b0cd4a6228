#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

// DNS messages as multicast DNS uses them (RFC 1035 wire format, RFC 6762): the
// query a service browser sends and the records of the answers it reads.
//
// Pure functions without state; safe from any thread. The parser takes packets
// from anyone on the link, so every read is bounds-checked, a compressed name may
// follow at most kMaxNamePointers pointers (a pointer loop ends there instead of
// spinning) and a name is at most 255 bytes; a malformed packet gives no message at
// all rather than half of one.
namespace Dns {

enum RecordType : uint16_t {
    TypeA = 1,
    TypePtr = 12,
    TypeTxt = 16,
    TypeAaaa = 28,
    TypeSrv = 33,
};

constexpr uint16_t kClassIn = 1;
// The top bit of a question's class asks for a unicast reply (QU); in an answer's
// class it tells the receiver to flush older records of that name (cache flush).
constexpr uint16_t kClassTopBit = 0x8000;
constexpr int kMaxNamePointers = 16;
constexpr int kMaxNameLength = 255;
// Largest message accepted: a UDP datagram's payload.
constexpr int kMaxMessageSize = 65507;

struct Question {
    QString name;
    uint16_t type = 0;
    bool unicastResponse = false;
};

struct Record {
    QString name;
    uint16_t type = 0;
    uint16_t recordClass = 0; // without the cache-flush bit
    uint32_t ttl = 0;
    // PTR and SRV: the name pointed to
    QString target;
    // SRV
    uint16_t priority = 0;
    uint16_t weight = 0;
    uint16_t port = 0;
    // TXT: one string per entry ("key=value" by convention)
    QList<QByteArray> texts;
    // A and AAAA: the address in text form
    QString address;
};

struct Message {
    uint16_t id = 0;
    uint16_t flags = 0;
    std::vector<Question> questions;
    // Answers, authority and additional records in message order; records of
    // types other than the five above are kept with only their common fields.
    std::vector<Record> records;

    bool isResponse() const { return (flags & 0x8000) != 0; }
};

// One query with a question of type for name ("_smb._tcp.local"); unicastResponse
// sets the QU bit.
QByteArray BuildQuery(const QString& name, uint16_t type, bool unicastResponse, uint16_t id = 0);
// One query with several questions.
QByteArray BuildQuery(const std::vector<Question>& questions, uint16_t id = 0);

std::optional<Message> ParseMessage(const QByteArray& packet);

// Names compare case-insensitively in DNS.
bool SameName(const QString& a, const QString& b);

} // namespace Dns
