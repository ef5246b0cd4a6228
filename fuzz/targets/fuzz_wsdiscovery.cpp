// WS-Discovery messages from the link and metadata GetResponse bodies.
#include "FuzzInput.h"
#include "platform/WsDiscoveryMessages.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = FuzzBytes(data, size);
    if (const auto message = Wsd::ParseMessage(bytes)) {
        for (const Wsd::Endpoint& endpoint : message->endpoints)
            (void)endpoint.isComputer();
    }
    if (const auto info = Wsd::ParseMetadata(bytes))
        (void)Wsd::ParseComputerText(info->name);
    (void)Wsd::ParseComputerText(QString::fromUtf8(bytes));
    return 0;
}
