#include "support/SmbBrowseNet.h"

#include "platform/SmbAgentProcess.h"
#include "support/FixtureServerProcess.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QStandardPaths>
#include <QThread>
#include <unistd.h>

namespace {

QString FixtureScript()
{
    return QStringLiteral(KESTROVA_FIXTURES_DIR "/smb-browse-net.sh");
}

// Runs the fixture script; its standard output, or empty with the failure filled in.
QString RunFixture(const QString& action, const QString& dir, QString& failure)
{
    // Not QProcess: see FixtureServerProcess.h.
    const FixtureCommandResult run = RunFixtureCommand(FixtureScript(), {action, dir}, 60000);
    if (!run.finished || run.exitCode != 0) {
        failure = QString::fromLocal8Bit(run.errors).trimmed();
        if (failure.isEmpty())
            failure = QStringLiteral("%1 %2 failed").arg(FixtureScript(), action);
        return {};
    }
    return QString::fromLocal8Bit(run.output).trimmed();
}

} // namespace

SmbBrowseNet::SmbBrowseNet() : m_dir(QStringLiteral(KESTROVA_SMB_BROWSE_DIR_PREFIX "-%1").arg(::getpid()))
{
    if (::geteuid() != 0) {
        m_unavailable = QStringLiteral("network namespaces need root");
        return;
    }
    for (const char* tool : {"ip", "smbd", "nmbd"}) {
        const QString name = QString::fromLatin1(tool);
        if (QStandardPaths::findExecutable(
                name, {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin"), QStringLiteral("/usr/bin")})
                .isEmpty()) {
            m_unavailable = name + QStringLiteral(" is not installed");
            return;
        }
    }
    QString failure;
    m_clientNamespace = RunFixture(QStringLiteral("start"), m_dir, failure);
    if (m_clientNamespace.isEmpty())
        m_unavailable = QStringLiteral("cannot create the test network: ") + failure;
}

SmbBrowseNet::~SmbBrowseNet()
{
    SmbAgentProcess::setAgentCommand({});
    if (::geteuid() != 0)
        return;
    QString failure;
    RunFixture(QStringLiteral("stop"), m_dir, failure);
    QDir(m_dir).removeRecursively();
}

void SmbBrowseNet::runAgentsInClient() const
{
    SmbAgentProcess::setAgentCommand({QStringLiteral("ip"), QStringLiteral("netns"), QStringLiteral("exec"),
                                      m_clientNamespace,
                                      QStringLiteral(KESTROVA_BINARY_DIR "/" KESTROVA_SMB_AGENT_NAME)});
}

std::vector<TNetResource> BrowseAll(NetworkBrowser& browser, const TNetResource* container,
                                    PlatformError& error)
{
    std::vector<TNetResource> all;
    error = {};
    auto enumeration = browser.open(container);
    if (!enumeration) {
        error = enumeration.error();
        return all;
    }
    for (;;) {
        const Result<NetworkChunk> chunk = enumeration.value()->next(512);
        if (!chunk) {
            error = chunk.error();
            return all;
        }
        all.insert(all.end(), chunk.value().entries.begin(), chunk.value().entries.end());
        if (chunk.value().state == EnumResult::NoMoreItems)
            return all;
    }
}

const TNetResource* NamedResource(const std::vector<TNetResource>& resources, const QString& remoteName)
{
    for (const TNetResource& resource : resources) {
        if (resource.RemoteName.compare(remoteName, Qt::CaseInsensitive) == 0)
            return &resource;
    }
    return nullptr;
}

std::vector<TNetResource> BrowseUntil(NetworkBrowser& browser, const TNetResource* container,
                                      const QStringList& wanted, int seconds)
{
    QDeadlineTimer deadline(seconds * 1000);
    std::vector<TNetResource> listed;
    do {
        PlatformError error;
        listed = BrowseAll(browser, container, error);
        bool complete = true;
        for (const QString& name : wanted)
            complete = complete && NamedResource(listed, name);
        if (complete)
            return listed;
        QThread::msleep(1000);
    } while (!deadline.hasExpired());
    return listed;
}
