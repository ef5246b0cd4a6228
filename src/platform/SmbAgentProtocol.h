#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <functional>

// The request/response protocol between the SMB agent client and
// kestrova-smb-agent. Every message is one frame: a 32-bit little-endian payload
// length, then the payload. A payload starts with one message-type byte followed
// by fields in a fixed order: unsigned/signed integers little-endian, strings as
// a 32-bit length and UTF-8 bytes, byte blocks the same way.
//
// Requests and their fields (in order), and the fields of their Ok reply:
//   Probe        host, port u16, timeoutMs u32  -> result i32 (0 open, -1 unresolved, else errno)
//   ListEntries  url                            -> count u32, {name, smbcType u32, comment}*
//   Connect      url, server, share, user, password, workgroup -> (nothing)
//   Cancel       server, share                  -> (nothing)
//   ListFolder   url                            -> count u32, {name, attributes u32, size i64, writeTime
//   i64}* OpenFile     url                            -> handle u32, size i64 ReadFile     handle u32, offset
//   i64, length u32 -> bytes CloseFile    handle u32                     -> (nothing); an error when written
//   data could not be stored CreateFile   url, exclusive u8              -> handle u32 (new file, or an
//   emptied one unless exclusive) WriteFile    handle u32, offset i64, bytes  -> (nothing); all bytes are
//   written or it fails Stat         url                            -> folder u8, size i64, writeTime i64
//   RemoveFile   url                            -> (nothing)
//   MakeFolder   url                            -> (nothing)
//   RemoveFolder url                            -> (nothing); the folder must be empty
//   Rename       url, newUrl, replace u8        -> (nothing); without replace an existing target is EEXIST
//   WriteAccess  url (a share)                  -> passed u8, descriptor: passed 1 when the server let
//   an open for writing of the share's top folder get as far as finding a folder (nothing is created,
//   nothing written), 0 when it refused the access; descriptor: that folder's security descriptor in
//   libsmbclient's text form (SIDs as numbers), empty when not read
// Any request may instead get Error: code i32 (errno), message.
namespace SmbAgentProtocol {

enum class MessageType : uint8_t {
    Probe = 1,
    ListEntries = 2,
    Connect = 3,
    Cancel = 4,
    ListFolder = 5,
    OpenFile = 6,
    ReadFile = 7,
    CloseFile = 8,
    CreateFile = 9,
    WriteFile = 10,
    Stat = 11,
    RemoveFile = 12,
    MakeFolder = 13,
    RemoveFolder = 14,
    Rename = 15,
    WriteAccess = 16,
    Ok = 0x80,
    Error = 0x81,
};

// Entry types as libsmbclient numbers them (smbc_dirent::smbc_type); they
// travel unchanged in ListEntries replies. The agent checks them against the
// library's header.
enum SmbcType : uint32_t {
    kSmbcWorkgroup = 1,
    kSmbcServer = 2,
    kSmbcFileShare = 3,
    kSmbcPrinterShare = 4,
    kSmbcCommsShare = 5,
    kSmbcIpcShare = 6,
};

// A frame larger than this is taken as a corrupted stream, not allocated.
constexpr uint32_t kMaxPayload = 256u * 1024 * 1024;
// The largest ReadFile length the agent serves in one reply, and the largest
// WriteFile block a client sends.
constexpr uint32_t kMaxReadLength = 1024 * 1024;
constexpr uint32_t kMaxWriteLength = 1024 * 1024;
// Probe result for a host name that did not resolve.
constexpr int32_t kProbeUnresolved = -1;

// Builds one payload. The frame header is added by writeFrame.
class PayloadWriter {
public:
    explicit PayloadWriter(MessageType type);

    PayloadWriter& u16(uint16_t value);
    PayloadWriter& u32(uint32_t value);
    PayloadWriter& i32(int32_t value);
    PayloadWriter& u8(uint8_t value);
    PayloadWriter& i64(int64_t value);
    PayloadWriter& string(const QString& value);
    PayloadWriter& bytes(const QByteArray& value);
    PayloadWriter& bytes(const char* data, uint32_t length);
    // A zero-terminated C string, without its terminator.
    PayloadWriter& bytes(const char* text);
    // A u32 whose value is only known later (a count written before its items):
    // placeU32 writes a zero and returns where, setU32 overwrites it.
    qsizetype placeU32();
    void setU32(qsizetype position, uint32_t value);

    const QByteArray& payload() const { return m_payload; }

private:
    void raw(const void* data, size_t length);
    QByteArray m_payload;
};

// Reads the fields of one payload in order. A field that runs past the end of
// the payload sets the reader's failed state and yields a zero/empty value, so a
// truncated or corrupted message is detected once, at the end, by ok().
class PayloadReader {
public:
    explicit PayloadReader(const QByteArray& payload);

    MessageType type() const { return m_type; }
    uint8_t u8();
    uint16_t u16();
    uint32_t u32();
    int32_t i32();
    int64_t i64();
    QString string();
    QByteArray bytes();

    bool ok() const { return !m_failed; }
    bool atEnd() const { return m_position == m_payload.size(); }
    // True when every field was read and nothing is left over.
    bool complete() const { return ok() && atEnd(); }

private:
    bool take(void* out, qsizetype length);
    // A length-prefixed field, pointing into the payload.
    QByteArrayView block();
    QByteArray m_payload;
    qsizetype m_position = 0;
    MessageType m_type{};
    bool m_failed = false;
};

// Outcome of reading or writing a frame on a file descriptor.
enum class IoStatus {
    Ok,
    Closed,    // the peer closed the stream (or the stream broke)
    TimedOut,  // the deadline passed
    Stopped,   // the stop check asked to give up
    Corrupted, // a header announced an impossible length
};

// Writes the frame (header + payload) completely; never raises SIGPIPE.
IoStatus writeFrame(int fd, const QByteArray& payload);

// Reads one whole frame. deadlineMs < 0 waits without limit; otherwise the read
// gives up after that many milliseconds. shouldStop, when given, is polled about
// every 50 ms while waiting.
IoStatus readFrame(int fd, QByteArray& payload, int deadlineMs = -1,
                   const std::function<bool()>& shouldStop = {});

} // namespace SmbAgentProtocol
