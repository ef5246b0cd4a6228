// The name table of a NetBIOS node status reply, as the naming fallback of
// WS-Discovery reads it: any bytes give a result or nullopt, never a read past
// the data; a result's names are what the table holds.
#include "FuzzInput.h"
#include "platform/NetBiosNameQuery.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::optional<TNetBiosNames> names = ParseNodeStatusReply(FuzzBytes(data, size));
    // NetBIOS names are at most 15 characters.
    if (names && (names->computer.size() > 15 || names->group.size() > 15))
        std::abort();
    return 0;
}
