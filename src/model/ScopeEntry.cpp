#include "model/ScopeEntry.h"

#include "model/IpAddress.h"

#include <bit>

QString WithUncPrefix(const QString& name)
{
    if (name.startsWith(QLatin1String("\\\\")))
        return name;
    return QStringLiteral("\\\\") + name;
}

QString ComputerListEntry(const QString& name)
{
    return WithUncPrefix(name).toUpper();
}

// Exact text: "a.b.c.d - e.f.g.h" is how IP ranges are kept in the ResList of
// users' settings files and typed into the range box.
QString IpRangeEntry(uint32_t fromHostOrder, uint32_t toHostOrder)
{
    return IpToText(SwapByteOrder32(fromHostOrder)) + QStringLiteral(" - ") +
           IpToText(SwapByteOrder32(toHostOrder));
}

TAddressBlock InterfaceAddressBlock(uint32_t addressNetworkOrder, uint32_t maskNetworkOrder)
{
    const int oneBits = std::popcount(maskNetworkOrder);
    const uint32_t first = SwapByteOrder32(addressNetworkOrder & maskNetworkOrder);
    // (32 - n) mod 32: a /0 mask counts like /32 and gives one address.
    const uint32_t span = uint32_t(1) << ((32 - oneBits) % 32);
    return {first, first + span - 1};
}
