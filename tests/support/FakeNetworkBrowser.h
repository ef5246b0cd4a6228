#pragma once

#include "platform/NetworkBrowser.h"

#include <QHash>
#include <QStringList>
#include <atomic>
#include <functional>
#include <mutex>

// An in-memory network neighbourhood: the entries below each container, keyed by the
// container's remote name ("" for the top). Containers without an entry in the map
// cannot be opened. Each enumeration hands out chunks of at most chunkSize entries
// and can be made to fail after a number of entries.
class FakeNetworkBrowser : public NetworkBrowser {
public:
    struct Container {
        std::vector<TNetResource> entries;
        int failAfter = -1; // entries handed out before next() reports an error; -1: never
    };

    static TNetResource Resource(const QString& remoteName, int32_t displayType, int32_t usage);
    static TNetResource Provider(const QString& name);  // network, container
    static TNetResource Workgroup(const QString& name); // domain, container
    static TNetResource Server(const QString& name);    // server, connectable

    void add(const QString& container, std::vector<TNetResource> entries, int failAfter = -1);

    std::unique_ptr<NetworkEnumeration> open(const TNetResource* container, PlatformError& error) override;

    int chunkSize = 1025;
    // Runs inside every open(), before it answers (a test can block or count there).
    std::function<void(const QString& container)> onOpen;

    // The containers opened, in order ("" for the top).
    QStringList opened() const;

private:
    mutable std::mutex m_lock;
    QHash<QString, Container> m_containers;
    QStringList m_opened;
};
