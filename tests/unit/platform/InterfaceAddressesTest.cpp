#include "platform/InterfaceAddresses.h"

#include "model/IpAddress.h"

#include <gtest/gtest.h>

namespace {

// Every Linux machine has its loopback interface up: 127.0.0.1/8.
TEST(InterfaceAddressesTest, ListsLoopbackWithItsMaskInAddressOrder)
{
    const std::vector<TInterfaceAddress> addresses = LocalInterfaceAddresses();
    bool loopback = false;
    for (size_t i = 0; i < addresses.size(); ++i) {
        if (addresses[i].Address == TextToIp("127.0.0.1")) {
            loopback = true;
            EXPECT_EQ(addresses[i].Mask, TextToIp("255.0.0.0"));
        }
        if (i > 0) {
            EXPECT_LT(SwapByteOrder32(addresses[i - 1].Address), SwapByteOrder32(addresses[i].Address));
        }
    }
    EXPECT_TRUE(loopback);
}

} // namespace
