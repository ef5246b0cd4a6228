#include "platform/MulticastInterfaces.h"

#include <algorithm>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

std::vector<TMulticastInterface> MulticastInterfaces()
{
    std::vector<TMulticastInterface> result;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0)
        return result;
    for (const ifaddrs* entry = list; entry; entry = entry->ifa_next) {
        const unsigned flags = entry->ifa_flags;
        if (!entry->ifa_addr || !(flags & IFF_UP) || !(flags & IFF_MULTICAST) || (flags & IFF_LOOPBACK))
            continue;
        const int family = entry->ifa_addr->sa_family;
        if (family != AF_INET && family != AF_INET6)
            continue;
        const QString name = QString::fromLocal8Bit(entry->ifa_name);
        auto found = std::find_if(result.begin(), result.end(),
                                  [&](const TMulticastInterface& known) { return known.name == name; });
        if (found == result.end()) {
            result.push_back({name, if_nametoindex(entry->ifa_name), 0, false});
            found = result.end() - 1;
        }
        if (family == AF_INET && found->ipv4Address == 0) {
            found->ipv4Address = reinterpret_cast<const sockaddr_in*>(entry->ifa_addr)->sin_addr.s_addr;
        } else if (family == AF_INET6) {
            found->hasIpv6 = true;
        }
    }
    freeifaddrs(list);
    return result;
}
