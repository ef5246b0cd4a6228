#pragma once

#include "engine/ports/NetworkBrowser.h"

#include <QString>
#include <functional>
#include <map>
#include <mutex>
#include <vector>

// An in-memory network neighbourhood for the queue thread: containers (keyed by
// remote name, "" for the top of the network) hold entries, handed out in batches
// of at most batchSize per call. Opening or enumerating a container can be made to
// fail; every open is recorded.
class FakeNetworkBrowser : public NetworkBrowser {
public:
    static TNetResource Domain(const QString& name);
    static TNetResource Server(const QString& uncName);

    void add(const QString& container, const TNetResource& entry);
    void failOpen(const QString& container, int code, const QString& message);
    // The enumeration of container fails at its call number callIndex (0-based).
    void failNext(const QString& container, int callIndex, int code, const QString& message);
    void setBatchSize(int size) { m_batchSize = size; }
    // Called (outside the lock) at every enumeration step, with the container.
    void onNext(std::function<void(const QString&)> hook) { m_nextHook = std::move(hook); }

    std::vector<QString> openedContainers();

    Result<std::unique_ptr<NetworkEnumeration>> open(const TNetResource* container,
                                                     std::stop_token stop = {}) override;

private:
    class Enumeration;
    struct Failure {
        int callIndex = 0;
        PlatformError error;
    };

    std::mutex m_mutex;
    std::map<QString, std::vector<TNetResource>> m_entries;
    std::map<QString, PlatformError> m_openErrors;
    std::map<QString, Failure> m_nextErrors;
    std::vector<QString> m_opened;
    std::function<void(const QString&)> m_nextHook;
    int m_batchSize = 1000;
};
