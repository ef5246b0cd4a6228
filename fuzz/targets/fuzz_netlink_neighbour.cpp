// The NETLINK_ROUTE messages the ARP probe reads (route replies, neighbour dumps
// and notifications), from a buffer aligned as the probe's receive buffer is.
#include "platform/NetlinkMessages.h"

#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The probe receives into an alignas(nlmsghdr) buffer of 32768 bytes.
    if (size > 32768)
        return 0;
    // A copy of exactly the input's size (so that AddressSanitizer sees every read
    // past its end), on the heap (aligned for nlmsghdr, as malloc aligns to 16).
    const std::unique_ptr<char[]> copy(new char[size > 0 ? size : 1]);
    std::memcpy(copy.get(), data, size);
    (void)ParseNetlinkMessages(copy.get(), size);
    return 0;
}
