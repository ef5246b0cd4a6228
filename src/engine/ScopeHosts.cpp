#include "engine/ScopeHosts.h"

#include "engine/HostList.h"

#include <algorithm>

namespace {

TScopeNode* FindNode(TScopeNode& node, const std::function<bool(const TScopeNode&)>& matches)
{
    if (matches(node))
        return &node;
    for (TScopeNode& child : node.Children) {
        if (TScopeNode* found = FindNode(child, matches))
            return found;
    }
    return nullptr;
}

bool IsComputer(const TScopeNode& node)
{
    return node.Resource && node.Resource->DisplayType == kResourceDisplayTypeServer;
}

// The address of a computer node: what its remote name holds when that is an address.
QString NodeAddress(const TScopeNode& node)
{
    const QString name = node.Resource->RemoteName.mid(2);
    const bool dotted = name.count(u'.') == 3 && std::all_of(name.begin(), name.end(), [](QChar c) {
                            return c == u'.' || c.isDigit();
                        });
    return dotted ? name : QString();
}

TScopeNode& GroupNode(TScopeNode& top, const QString& group)
{
    if (TScopeNode* found = FindNode(top, [&](const TScopeNode& node) {
            return node.Resource && !IsComputer(node) &&
                   node.Caption.compare(group, Qt::CaseInsensitive) == 0;
        }))
        return *found;
    TScopeNode& node = top.Children.emplace_back();
    TNetResource resource;
    resource.DisplayType = kResourceDisplayTypeGroup;
    resource.Usage = kResourceUsageContainer;
    resource.RemoteName = group;
    resource.Provider = kDiscoveryProvider;
    node.Caption = group;
    node.Resource = resource;
    node.ImageIndex = ScopeImageIndex(resource.DisplayType);
    return node;
}

} // namespace

// Exact text: the tooltip of discovered computers in the scope dialog; the scope
// discovery tests compare it, dash included.
QString ScopeHostToolTip(const QString& address, uint8_t sources)
{
    const QString found = QStringLiteral("found by ") + HostSourceNames(sources);
    return address.isEmpty() ? found : address + QStringLiteral(" \u2014 ") + found;
}

void AddDiscoveredHosts(TScopeNode& top, const std::vector<TFoundHost>& hosts)
{
    for (const TFoundHost& host : hosts) {
        const QString key = HostNameKey(host.Name);
        TScopeNode* known = FindNode(top, [&](const TScopeNode& node) {
            if (!IsComputer(node))
                return false;
            const QString address = NodeAddress(node);
            return (!key.isEmpty() && HostNameKey(node.Caption) == key) ||
                   (!host.Address.isEmpty() && address == host.Address);
        });
        if (known) {
            known->Sources |= host.Sources;
            known->ToolTip = ScopeHostToolTip(host.Address, known->Sources);
            continue;
        }
        TScopeNode& parent = host.Group.isEmpty() ? top : GroupNode(top, host.Group);
        TScopeNode& node = parent.Children.emplace_back();
        TNetResource resource;
        resource.DisplayType = kResourceDisplayTypeServer;
        resource.Usage = kResourceUsageConnectable;
        resource.RemoteName = HostConnectName(host);
        resource.Comment = host.Name;
        resource.Provider = kDiscoveryProvider;
        node.Caption = host.Name.isEmpty() ? host.Address : host.Name;
        node.Resource = resource;
        node.ImageIndex = ScopeImageIndex(resource.DisplayType);
        node.Sources = host.Sources;
        node.ToolTip = ScopeHostToolTip(host.Address, host.Sources);
    }
}

void RemoveDiscoveredHost(TScopeNode& top, const QString& address)
{
    if (address.isEmpty())
        return;
    const QString remoteName = QStringLiteral("\\\\") + address;
    std::erase_if(top.Children, [&](const TScopeNode& node) {
        return IsComputer(node) && node.Resource->Provider == kDiscoveryProvider &&
               node.Resource->RemoteName == remoteName;
    });
    for (TScopeNode& child : top.Children)
        RemoveDiscoveredHost(child, address);
}
