// Multicast DNS answers as the service browser reads them.
#include "FuzzInput.h"
#include "platform/DnsMessage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (const auto message = Dns::ParseMessage(FuzzBytes(data, size))) {
        for (const Dns::Record& record : message->records)
            (void)Dns::SameName(record.name, record.target);
    }
    return 0;
}
