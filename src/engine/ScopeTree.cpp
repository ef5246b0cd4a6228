#include "engine/ScopeTree.h"

namespace {

// The browse service hands out at most this many entries per call.
constexpr int kEntriesPerCall = 1025;

bool IsExpanded(const TNetResource& resource)
{
    return (resource.Usage & kResourceUsageContainer) &&
           (resource.DisplayType == kResourceDisplayTypeNetwork ||
            resource.DisplayType == kResourceDisplayTypeRoot);
}

void FillNode(NetworkBrowser& browser, TScopeNode& node, int depth, const std::function<bool()>& keepGoing)
{
    if (keepGoing && !keepGoing())
        return;
    PlatformError error;
    const std::unique_ptr<NetworkEnumeration> enumeration =
        browser.open(node.Resource ? &*node.Resource : nullptr, error);
    if (!enumeration)
        return;
    std::vector<TNetResource> entries;
    for (;;) {
        const EnumResult result = enumeration->next(kEntriesPerCall, entries, error);
        // An empty chunk that claims more would otherwise be asked for again and again.
        if ((result != EnumResult::Entries && result != EnumResult::MoreEntries) || entries.empty())
            return;
        for (const TNetResource& entry : entries) {
            TScopeNode& child = node.Children.emplace_back();
            child.Caption = entry.RemoteName;
            child.Resource = entry;
            child.ImageIndex = ScopeImageIndex(entry.DisplayType);
            if (IsExpanded(entry) && depth < kMaxScopeDepth)
                FillNode(browser, child, depth + 1, keepGoing);
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

TScopeNode BuildScopeTree(NetworkBrowser& browser, const std::function<bool()>& keepGoing)
{
    TScopeNode top;
    top.Caption = QStringLiteral("Entire Network");
    top.ImageIndex = kScopeImageEntireNetwork;
    FillNode(browser, top, 0, keepGoing);
    return top;
}
