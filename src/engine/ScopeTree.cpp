#include "engine/ScopeTree.h"

#include "engine/ports/HostDiscovery.h"

namespace {

// The browse service hands out at most this many entries per call.
constexpr int kEntriesPerCall = 1025;

bool IsExpanded(const TNetResource& resource)
{
    return (resource.Usage & kResourceUsageContainer) &&
           (resource.DisplayType == kResourceDisplayTypeNetwork ||
            resource.DisplayType == kResourceDisplayTypeRoot);
}

bool IsGroup(const TNetResource& resource)
{
    return (resource.Usage & kResourceUsageContainer) &&
           (resource.DisplayType == kResourceDisplayTypeDomain ||
            resource.DisplayType == kResourceDisplayTypeGroup);
}

void FillNode(NetworkBrowser& browser, TScopeNode& node, int depth, const std::function<bool()>& keepGoing,
              bool listComputers)
{
    if (keepGoing && !keepGoing())
        return;
    // The scope tree shows what could be browsed; a container that cannot be is left empty.
    const Result<std::unique_ptr<NetworkEnumeration>> opened =
        browser.open(node.Resource ? &*node.Resource : nullptr);
    if (!opened)
        return;
    for (;;) {
        const Result<NetworkChunk> chunk = opened.value()->next(kEntriesPerCall);
        // An empty chunk that claims more would otherwise be asked for again and again.
        if (!chunk || chunk.value().state == EnumResult::NoMoreItems || chunk.value().entries.empty())
            return;
        for (const TNetResource& entry : chunk.value().entries) {
            TScopeNode& child = node.Children.emplace_back();
            child.Caption = entry.RemoteName;
            child.Resource = entry;
            child.ImageIndex = ScopeImageIndex(entry.DisplayType);
            if (IsExpanded(entry) && depth < kMaxScopeDepth)
                FillNode(browser, child, depth + 1, keepGoing, listComputers);
            else if (listComputers && IsGroup(entry))
                FillNode(browser, child, kMaxScopeDepth, keepGoing, false);
            if (entry.DisplayType == kResourceDisplayTypeServer) {
                child.Sources = static_cast<uint8_t>(THostSource::NetBios);
                // Exact text: compared by the scope tree tests.
                child.ToolTip = QStringLiteral("Found by NetBIOS");
            }
            if (keepGoing && !keepGoing())
                return;
        }
    }
}

} // namespace

int ScopeImageIndex(int32_t displayType)
{
    switch (displayType) {
    case kResourceDisplayTypeDomain:
    case kResourceDisplayTypeGroup:
        return kScopeImageDomain;
    case kResourceDisplayTypeNetwork:
        return kScopeImageProvider;
    case kResourceDisplayTypeRoot:
        return kScopeImageEntireNetwork;
    default:
        return kScopeImageNone;
    }
}

TScopeNode BuildScopeTree(NetworkBrowser& browser, const std::function<bool()>& keepGoing, bool listComputers)
{
    TScopeNode top;
    // Exact text: the top of the scope tree; users pick it by this caption and the
    // scope dialog tests find it so.
    top.Caption = QStringLiteral("Entire Network");
    top.ImageIndex = kScopeImageEntireNetwork;
    FillNode(browser, top, 0, keepGoing, listComputers);
    return top;
}
