#include "platform/InterfaceAddresses.h"

#include "model/IpAddress.h"

#include <algorithm>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

namespace {

// Owns the list getifaddrs allocates.
class InterfaceList {
public:
    InterfaceList()
    {
        if (getifaddrs(&m_list) != 0)
            m_list = nullptr;
    }
    ~InterfaceList()
    {
        if (m_list)
            freeifaddrs(m_list);
    }
    InterfaceList(const InterfaceList&) = delete;
    InterfaceList& operator=(const InterfaceList&) = delete;

    const ifaddrs* first() const { return m_list; }

private:
    ifaddrs* m_list = nullptr;
};

uint32_t Ipv4Of(const sockaddr* address)
{
    return reinterpret_cast<const sockaddr_in*>(address)->sin_addr.s_addr;
}

} // namespace

std::vector<TInterfaceAddress> LocalInterfaceAddresses()
{
    std::vector<TInterfaceAddress> result;
    const InterfaceList list;
    for (const ifaddrs* entry = list.first(); entry; entry = entry->ifa_next) {
        if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET || !(entry->ifa_flags & IFF_UP))
            continue;
        const uint32_t mask = entry->ifa_netmask && entry->ifa_netmask->sa_family == AF_INET
                                  ? Ipv4Of(entry->ifa_netmask)
                                  : 0xFFFFFFFFu;
        result.push_back({Ipv4Of(entry->ifa_addr), mask});
    }
    std::sort(result.begin(), result.end(), [](const TInterfaceAddress& a, const TInterfaceAddress& b) {
        return SwapByteOrder32(a.Address) < SwapByteOrder32(b.Address);
    });
    result.erase(std::unique(result.begin(), result.end(),
                             [](const TInterfaceAddress& a, const TInterfaceAddress& b) {
                                 return a.Address == b.Address;
                             }),
                 result.end());
    return result;
}
