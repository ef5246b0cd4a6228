#include "platform/SmbNetworkBrowser.h"

#include "model/LogCategories.h"
#include "platform/SmbAgentProtocol.h"
#include "platform/UncPath.h"

#include <cerrno>

using namespace SmbAgentProtocol;

namespace {

const QString kProvider = QStringLiteral("SMB");

TNetResource baseResource(const QString& remoteName, const QString& comment)
{
    TNetResource resource;
    resource.Scope = kResourceScopeGlobalNet;
    resource.RemoteName = remoteName;
    resource.Comment = comment;
    resource.Provider = kProvider;
    return resource;
}

bool isServerContainer(const TNetResource& container)
{
    return container.DisplayType == kResourceDisplayTypeServer ||
           container.RemoteName.startsWith(QLatin1String("\\\\"));
}

} // namespace

ResourceListEnumeration::ResourceListEnumeration(std::vector<TNetResource> resources)
    : m_resources(std::move(resources))
{
}

Result<NetworkChunk> ResourceListEnumeration::next(int maxEntries)
{
    NetworkChunk chunk;
    if (m_position >= m_resources.size())
        return chunk;
    size_t count = std::min(m_resources.size() - m_position, size_t(std::max(maxEntries, 1)));
    chunk.entries.assign(m_resources.begin() + qsizetype(m_position),
                         m_resources.begin() + qsizetype(m_position + count));
    m_position += count;
    chunk.state = m_position < m_resources.size() ? EnumResult::MoreEntries : EnumResult::Entries;
    return chunk;
}

SmbNetworkBrowser::SmbNetworkBrowser(const SmbAgentOptions& options) : m_options(options)
{
    m_options.browse = true;
}

SmbNetworkBrowser::~SmbNetworkBrowser() = default;

SmbAgentOptions SmbNetworkBrowser::defaultOptions()
{
    SmbAgentOptions options;
    options.browse = true;
    // Browse lists come from master browsers found by broadcast; a list that
    // takes longer than this is not coming.
    options.callTimeoutMs = 60000;
    return options;
}

QString SmbNetworkBrowser::urlFor(const TNetResource* container)
{
    if (!container)
        return QStringLiteral("smb://");
    if (isServerContainer(*container)) {
        auto path = UncPath::parse(container->RemoteName);
        return path && path->isHost() ? path->toUrl() : QString();
    }
    if (container->DisplayType == kResourceDisplayTypeDomain && !container->RemoteName.isEmpty())
        return QStringLiteral("smb://") + UncPath::encodeHost(container->RemoteName);
    return {};
}

std::optional<TNetResource> SmbNetworkBrowser::resourceFor(const TNetResource* container, const QString& name,
                                                           uint32_t smbcType, const QString& comment)
{
    if (name.isEmpty())
        return std::nullopt;
    switch (smbcType) {
    case kSmbcWorkgroup: {
        TNetResource resource = baseResource(name, comment);
        resource.Type = kResourceTypeAny;
        resource.DisplayType = kResourceDisplayTypeDomain;
        resource.Usage = kResourceUsageContainer;
        return resource;
    }
    case kSmbcServer: {
        TNetResource resource = baseResource(QStringLiteral("\\\\") + name, comment);
        resource.Type = kResourceTypeAny;
        resource.DisplayType = kResourceDisplayTypeServer;
        resource.Usage = kResourceUsageContainer;
        return resource;
    }
    case kSmbcFileShare: {
        if (!container || !isServerContainer(*container))
            return std::nullopt;
        TNetResource resource = baseResource(container->RemoteName + QLatin1Char('\\') + name, comment);
        resource.Type = kResourceTypeDisk;
        resource.DisplayType = kResourceDisplayTypeShare;
        resource.Usage = kResourceUsageConnectable;
        return resource;
    }
    default:
        return std::nullopt;
    }
}

Result<std::unique_ptr<NetworkEnumeration>> SmbNetworkBrowser::open(const TNetResource* container,
                                                                    std::stop_token stop)
{
    QString url = urlFor(container);
    if (url.isEmpty())
        return PlatformError{EINVAL, QStringLiteral("Not a browsable network container: %1")
                                         .arg(container ? container->RemoteName : QString())};
    QMutexLocker lock(&m_mutex);
    if (!m_agent || m_agent->isDead())
        m_agent = std::make_unique<SmbAgentProcess>(m_options);
    m_agent->setStop(std::move(stop));
    const Result<QByteArray> reply =
        m_agent->call(PayloadWriter(MessageType::ListEntries).string(url).payload());
    if (!reply) {
        qCDebug(kestrovaSmb) << "Browse list of" << url << "failed:" << reply.error().code
                             << reply.error().message;
        return reply.error();
    }
    PayloadReader in(reply.value());
    uint32_t count = in.u32();
    std::vector<TNetResource> resources;
    for (uint32_t i = 0; i < count && in.ok(); ++i) {
        QString name = in.string();
        uint32_t type = in.u32();
        QString comment = in.string();
        if (auto resource = resourceFor(container, name, type, comment))
            resources.push_back(*resource);
    }
    if (!in.complete())
        return PlatformError{EPROTO, QStringLiteral("The SMB agent sent a corrupted reply")};
    return std::make_unique<ResourceListEnumeration>(std::move(resources));
}
