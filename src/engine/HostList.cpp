#include "engine/HostList.h"

#include <QStringList>
#include <algorithm>

QString HostNameKey(const QString& name)
{
    QString key = name;
    while (key.startsWith(u'\\'))
        key.remove(0, 1);
    const qsizetype dot = key.indexOf(u'.');
    // An IPv4 address is not a name; its dots stay.
    bool numeric = false;
    key.left(dot).toInt(&numeric);
    if (dot > 0 && !numeric)
        key.truncate(dot);
    return key.toUpper();
}

// Exact text: the discovery method names in log lines ("found by ...") and scope
// tooltips; users search the log for them and the discovery tests match them.
QString HostSourceNames(uint8_t sources)
{
    QStringList names;
    if (sources & static_cast<uint8_t>(THostSource::NetBios))
        names << QStringLiteral("NetBIOS");
    if (sources & static_cast<uint8_t>(THostSource::WsDiscovery))
        names << QStringLiteral("WS-Discovery");
    if (sources & static_cast<uint8_t>(THostSource::DnsSd))
        names << QStringLiteral("DNS-SD");
    return names.join(QStringLiteral(", "));
}

QString HostConnectName(const TFoundHost& host)
{
    const bool ipv4 = !host.Address.isEmpty() && !host.Address.contains(u':');
    return QStringLiteral("\\\\") + (ipv4 || host.Name.isEmpty() ? host.Address : host.Name);
}

std::pair<size_t, bool> THostList::Add(const TFoundHost& host)
{
    const QString key = HostNameKey(host.Name);
    const auto same = std::find_if(m_hosts.begin(), m_hosts.end(), [&](const TFoundHost& known) {
        return (!host.Address.isEmpty() && known.Address == host.Address) ||
               (!key.isEmpty() && HostNameKey(known.Name) == key);
    });
    if (same == m_hosts.end()) {
        m_hosts.push_back(host);
        return {m_hosts.size() - 1, true};
    }
    same->Sources |= host.Sources;
    if (same->Address.isEmpty() ||
        (same->Address.contains(u':') && !host.Address.isEmpty() && !host.Address.contains(u':')))
        same->Address = host.Address;
    if (same->Name.isEmpty())
        same->Name = host.Name;
    if (same->Group.isEmpty())
        same->Group = host.Group;
    return {size_t(same - m_hosts.begin()), false};
}

int THostList::CountFrom(THostSource source) const
{
    return int(std::count_if(m_hosts.begin(), m_hosts.end(),
                             [source](const TFoundHost& host) { return host.From(source); }));
}
