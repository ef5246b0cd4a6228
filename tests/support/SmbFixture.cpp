#include "support/SmbFixture.h"

#include "platform/SmbAgentProcess.h"

#include <QDir>
#include <QFile>
#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace SmbFixture {

TestUser alice()
{
    return {QStringLiteral("kestrova_alice"), QStringLiteral("Alice-pw1")};
}

TestUser bob()
{
    return {QStringLiteral("kestrova_bob"), QStringLiteral("Bob-pw2")};
}

QString network()
{
    QString net = qEnvironmentVariable("KESTROVA_TEST_NET");
    return net.isEmpty() ? QStringLiteral("127.0.0") : net;
}

QString address(int host)
{
    return network() + QLatin1Char('.') + QString::number(host);
}

QString hostUnc(int host)
{
    return QStringLiteral("\\\\") + address(host);
}

QString silentHostUnc()
{
    return hostUnc(9);
}

QString stateDir()
{
    QString dir = qEnvironmentVariable("KESTROVA_SMB_FIXTURE_DIR");
    return dir.isEmpty() ? QStringLiteral(KESTROVA_SMB_FIXTURE_DIR) : dir;
}

QString shareDir(int host, const QString& folder)
{
    return stateDir() + QStringLiteral("/host%1/shares/").arg(host) + folder;
}

bool isUp(QString* whyNot)
{
    auto fail = [&](const QString& reason) {
        if (whyNot)
            *whyNot = reason;
        return false;
    };
    if (!QFile::exists(stateDir() + QStringLiteral("/ready")))
        return fail(QStringLiteral("no running fixture in %1 (it needs root and Samba; run ctest, or "
                                   "tests/fixtures/smb-servers.sh start %1)")
                        .arg(stateDir()));
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(445);
    ::inet_pton(AF_INET, address(2).toLatin1().constData(), &target.sin_addr);
    bool connected = ::connect(fd, reinterpret_cast<sockaddr*>(&target), sizeof target) == 0;
    int error = errno;
    ::close(fd);
    if (!connected)
        return fail(QStringLiteral("%1:445 does not accept connections (%2)")
                        .arg(address(2), QString::fromLocal8Bit(strerror(error))));
    return true;
}

void useBuiltAgent()
{
    SmbAgentProcess::setAgentCommand({QStringLiteral(KESTROVA_BINARY_DIR "/" KESTROVA_SMB_AGENT_NAME)});
}

} // namespace SmbFixture
