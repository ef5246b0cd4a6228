#include "support/engine/FakeNetworkBrowser.h"

#include <algorithm>

class FakeNetworkBrowser::Enumeration : public NetworkEnumeration {
public:
    Enumeration(FakeNetworkBrowser& browser, QString container, std::vector<TNetResource> entries)
        : m_browser(browser), m_container(std::move(container)), m_entries(std::move(entries))
    {
    }

    Result<NetworkChunk> next(int maxEntries) override
    {
        if (m_browser.m_nextHook)
            m_browser.m_nextHook(m_container);
        const int call = m_calls++;
        {
            std::lock_guard lock(m_browser.m_mutex);
            auto failure = m_browser.m_nextErrors.find(m_container);
            if (failure != m_browser.m_nextErrors.end() && failure->second.callIndex == call)
                return failure->second.error;
        }
        NetworkChunk chunk;
        if (m_position >= m_entries.size())
            return chunk;
        const size_t count = std::min<size_t>(
            {static_cast<size_t>(maxEntries), size_t(m_browser.m_batchSize), m_entries.size() - m_position});
        chunk.entries.assign(m_entries.begin() + static_cast<long>(m_position),
                             m_entries.begin() + static_cast<long>(m_position + count));
        m_position += count;
        chunk.state = m_position < m_entries.size() ? EnumResult::MoreEntries : EnumResult::Entries;
        return chunk;
    }

private:
    FakeNetworkBrowser& m_browser;
    const QString m_container;
    const std::vector<TNetResource> m_entries;
    size_t m_position = 0;
    int m_calls = 0;
};

TNetResource FakeNetworkBrowser::Domain(const QString& name)
{
    TNetResource resource;
    resource.DisplayType = kResourceDisplayTypeDomain;
    resource.Usage = kResourceUsageContainer;
    resource.RemoteName = name;
    return resource;
}

TNetResource FakeNetworkBrowser::Server(const QString& uncName)
{
    TNetResource resource;
    resource.DisplayType = kResourceDisplayTypeServer;
    resource.Usage = kResourceUsageContainer;
    resource.RemoteName = uncName;
    return resource;
}

void FakeNetworkBrowser::add(const QString& container, const TNetResource& entry)
{
    std::lock_guard lock(m_mutex);
    m_entries[container].push_back(entry);
}

void FakeNetworkBrowser::failOpen(const QString& container, int code, const QString& message)
{
    std::lock_guard lock(m_mutex);
    m_openErrors[container] = PlatformError{code, message};
}

void FakeNetworkBrowser::failNext(const QString& container, int callIndex, int code, const QString& message)
{
    std::lock_guard lock(m_mutex);
    m_nextErrors[container] = Failure{callIndex, PlatformError{code, message}};
}

std::vector<QString> FakeNetworkBrowser::openedContainers()
{
    std::lock_guard lock(m_mutex);
    return m_opened;
}

Result<std::unique_ptr<NetworkEnumeration>> FakeNetworkBrowser::open(const TNetResource* container,
                                                                     std::stop_token)
{
    const QString name = container ? container->RemoteName : QString();
    std::lock_guard lock(m_mutex);
    m_opened.push_back(name);
    if (auto failure = m_openErrors.find(name); failure != m_openErrors.end())
        return failure->second;
    return std::make_unique<Enumeration>(*this, name, m_entries[name]);
}
