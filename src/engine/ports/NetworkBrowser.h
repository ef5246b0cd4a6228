#pragma once

#include "engine/ports/Result.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <stop_token>
#include <vector>

// Browsing the network neighbourhood: containers (workgroups, domains) hold
// servers, whose remote names are in UNC form (\\NAME).
constexpr int32_t kResourceDisplayTypeDomain = 1;
constexpr int32_t kResourceDisplayTypeServer = 2;
constexpr int32_t kResourceUsageConnectable = 1;
constexpr int32_t kResourceUsageContainer = 2;

struct TNetResource {
    int32_t Scope = 0;
    int32_t Type = 0;
    int32_t DisplayType = 0;
    int32_t Usage = 0;
    QString LocalName;
    QString RemoteName;
    QString Comment;
    QString Provider;

    friend bool operator==(const TNetResource&, const TNetResource&) = default;
};

enum class EnumResult {
    Entries,     // entries returned, maybe more to come
    MoreEntries, // entries returned and more are waiting
    NoMoreItems, // the enumeration is over
};

// One step of an enumeration.
struct NetworkChunk {
    EnumResult state = EnumResult::NoMoreItems;
    std::vector<TNetResource> entries;
};

// An open enumeration below one container. Calls are bounded in time and give up
// soon after the stop token given to open() is set.
class NetworkEnumeration {
public:
    virtual ~NetworkEnumeration() = default;
    // Up to maxEntries further entries.
    virtual Result<NetworkChunk> next(int maxEntries) = 0;
};

class NetworkBrowser {
public:
    virtual ~NetworkBrowser() = default;
    // Opens an enumeration below container (null: the top of the network), never
    // null on success. Gives up soon after stop is requested (a default token never stops).
    virtual Result<std::unique_ptr<NetworkEnumeration>> open(const TNetResource* container,
                                                             std::stop_token stop = {}) = 0;
};
