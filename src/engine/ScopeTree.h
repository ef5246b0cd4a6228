#pragma once

#include "engine/ports/NetworkBrowser.h"

#include <functional>
#include <optional>
#include <vector>

// The network map of the search scope browser: "Entire Network" on top, below it
// what the network browse service lists, depth first. Only containers whose display
// type is a network provider or the root are expanded further; domains, groups and
// servers are not.
constexpr int32_t kResourceDisplayTypeGroup = 5;
constexpr int32_t kResourceDisplayTypeNetwork = 6;
constexpr int32_t kResourceDisplayTypeRoot = 7;

// Icons of the map: 0 the whole network, 1 a domain or group, 2 a network provider.
constexpr int kScopeImageNone = -1;
constexpr int kScopeImageEntireNetwork = 0;
constexpr int kScopeImageDomain = 1;
constexpr int kScopeImageProvider = 2;

int ScopeImageIndex(int32_t displayType);

struct TScopeNode {
    QString Caption;                      // the remote name; "Entire Network" on top
    std::optional<TNetResource> Resource; // none for the top node
    int ImageIndex = kScopeImageNone;
    std::vector<TScopeNode> Children;
    QString ToolTip;     // computers: the address and the sources that listed it
    uint8_t Sources = 0; // computers: THostSource bits
};

// Providers nested deeper than this are not expanded: a browse service that keeps
// reporting providers inside providers cannot make the build run for ever.
constexpr int kMaxScopeDepth = 8;

// Builds the whole map. A container that cannot be opened, or whose listing fails
// part way, keeps the children listed so far and adds nothing more; nothing is
// reported. keepGoing is asked before every container is opened and between chunks
// of entries; once it answers false the build stops and returns what it has.
// With listComputers, domains and groups are opened once more to list their
// computers (not expanded further), so that the map shows the computers the NetBIOS
// browse list holds.
// Blocking: every browse call, bounded by the browser's own time-outs; run it away
// from the window's thread.
TScopeNode BuildScopeTree(NetworkBrowser& browser, const std::function<bool()>& keepGoing = {},
                          bool listComputers = false);
