#include "support/FakeNetworkBrowser.h"

#include "engine/ScopeTree.h"

#include <algorithm>

namespace {

class FakeEnumeration : public NetworkEnumeration {
public:
    FakeEnumeration(FakeNetworkBrowser::Container container, int chunkSize)
        : m_container(std::move(container)), m_chunkSize(chunkSize)
    {
    }

    EnumResult next(int maxEntries, std::vector<TNetResource>& entries, PlatformError& error) override
    {
        entries.clear();
        const int handedOut = int(m_position);
        if (m_container.failAfter >= 0 && handedOut >= m_container.failAfter) {
            error = {5, QStringLiteral("listing broke off")};
            return EnumResult::Error;
        }
        if (m_position >= m_container.entries.size())
            return EnumResult::NoMoreItems;
        size_t count = size_t(std::min(maxEntries, m_chunkSize));
        count = std::min(count, m_container.entries.size() - m_position);
        if (m_container.failAfter >= 0)
            count = std::min(count, size_t(m_container.failAfter - handedOut));
        entries.assign(m_container.entries.begin() + qsizetype(m_position),
                       m_container.entries.begin() + qsizetype(m_position + count));
        m_position += count;
        return m_position < m_container.entries.size() ? EnumResult::MoreEntries : EnumResult::Entries;
    }

private:
    FakeNetworkBrowser::Container m_container;
    int m_chunkSize;
    size_t m_position = 0;
};

} // namespace

TNetResource FakeNetworkBrowser::Resource(const QString& remoteName, int32_t displayType, int32_t usage)
{
    TNetResource resource;
    resource.Scope = 2;
    resource.DisplayType = displayType;
    resource.Usage = usage;
    resource.RemoteName = remoteName;
    resource.Provider = QStringLiteral("Fake Network");
    return resource;
}

TNetResource FakeNetworkBrowser::Provider(const QString& name)
{
    return Resource(name, kResourceDisplayTypeNetwork, kResourceUsageContainer);
}

TNetResource FakeNetworkBrowser::Workgroup(const QString& name)
{
    return Resource(name, kResourceDisplayTypeDomain, kResourceUsageContainer);
}

TNetResource FakeNetworkBrowser::Server(const QString& name)
{
    return Resource(name, kResourceDisplayTypeServer, kResourceUsageContainer | kResourceUsageConnectable);
}

void FakeNetworkBrowser::add(const QString& container, std::vector<TNetResource> entries, int failAfter)
{
    const std::lock_guard<std::mutex> guard(m_lock);
    m_containers.insert(container, {std::move(entries), failAfter});
}

std::unique_ptr<NetworkEnumeration> FakeNetworkBrowser::open(const TNetResource* container,
                                                             PlatformError& error)
{
    const QString name = container ? container->RemoteName : QString();
    if (onOpen)
        onOpen(name);
    const std::lock_guard<std::mutex> guard(m_lock);
    m_opened.append(name);
    const auto found = m_containers.constFind(name);
    if (found == m_containers.constEnd()) {
        error = {2, QStringLiteral("no such container")};
        return nullptr;
    }
    return std::make_unique<FakeEnumeration>(*found, chunkSize);
}

QStringList FakeNetworkBrowser::opened() const
{
    const std::lock_guard<std::mutex> guard(m_lock);
    return m_opened;
}
