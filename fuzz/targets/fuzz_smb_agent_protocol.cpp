// The SMB agent protocol in both directions: frames read from a pipe by readFrame,
// then each payload's fields read as the agent reads a request or as the client
// reads the reply to one. The first byte chooses: below 0x80 requests; otherwise a
// reply to the request (byte & 0x7F) % 16 + 1.
#include "FuzzInput.h"
#include "platform/SmbAgentProtocol.h"

#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

using namespace SmbAgentProtocol;

namespace {

// Field layouts from the protocol's description (platform/SmbAgentProtocol.h):
// s string, b bytes, 1/2/4 unsigned of that many bytes, i i32, 8 i64; '*' reads a
// u32 count and repeats the rest of the layout that many times.
const char* RequestLayout(MessageType type)
{
    switch (type) {
    case MessageType::Probe:
        return "s24";
    case MessageType::Connect:
        return "ssssss";
    case MessageType::Cancel:
        return "ss";
    case MessageType::ReadFile:
        return "484";
    case MessageType::CloseFile:
        return "4";
    case MessageType::CreateFile:
        return "s1";
    case MessageType::WriteFile:
        return "48b";
    case MessageType::Rename:
        return "ss1";
    default:
        return "s";
    }
}

const char* ReplyLayout(MessageType request)
{
    switch (request) {
    case MessageType::Probe:
        return "i";
    case MessageType::ListEntries:
        return "*s4b";
    case MessageType::ListFolder:
        return "*s488";
    case MessageType::OpenFile:
        return "48";
    case MessageType::ReadFile:
        return "b";
    case MessageType::CreateFile:
        return "4";
    case MessageType::Stat:
        return "188";
    case MessageType::WriteAccess:
        return "1s";
    default:
        return "";
    }
}

void ReadFields(PayloadReader& in, const char* layout)
{
    for (const char* field = layout; *field; ++field) {
        switch (*field) {
        case 's':
            (void)in.string();
            break;
        case 'b':
            (void)in.bytes();
            break;
        case '1':
            (void)in.u8();
            break;
        case '2':
            (void)in.u16();
            break;
        case '4':
            (void)in.u32();
            break;
        case 'i':
            (void)in.i32();
            break;
        case '8':
            (void)in.i64();
            break;
        case '*': {
            const uint32_t count = in.u32();
            for (uint32_t i = 0; i < count && in.ok(); ++i)
                ReadFields(in, field + 1);
            return;
        }
        }
    }
}

void ReadPayload(const QByteArray& payload, uint8_t direction)
{
    PayloadReader in(payload);
    if (direction < 0x80) {
        ReadFields(in, RequestLayout(in.type()));
    } else if (in.type() == MessageType::Error) {
        (void)in.i32();
        (void)in.string();
    } else {
        ReadFields(in, ReplyLayout(static_cast<MessageType>((direction & 0x7F) % 16 + 1)));
    }
    (void)in.complete();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // A pipe holds 64 KiB; larger inputs would block the write.
    if (size == 0 || size > 60000)
        return 0;
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        std::abort();
    if (write(fds[1], data + 1, size - 1) != ssize_t(size - 1))
        std::abort();
    close(fds[1]);
    QByteArray payload;
    while (readFrame(fds[0], payload, 1000) == IoStatus::Ok)
        ReadPayload(payload, data[0]);
    close(fds[0]);
    return 0;
}
