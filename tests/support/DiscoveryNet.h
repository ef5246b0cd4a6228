#pragma once

#include "support/NetworkLab.h"
#include "support/RunProgram.h"

#include <QDir>
#include <QString>
#include <functional>
#include <unistd.h>

// The link of tests/fixtures/discovery-net.sh, made once for a test binary: wsdd
// (KWSD1, workgroup KESTROVALAB) at 198.18.0.2, which drops ICMP echo, a zeroconf
// responder announcing _smb._tcp for host kmdns1 at 198.18.0.3 (both also run an
// SMB2/3-only smbd without NetBIOS, share "docs"), a host dropping TCP 445/139 at
// 198.18.0.4, and the client namespace where the tests run their code.
class DiscoveryNet {
public:
    DiscoveryNet()
    {
        m_dir = QStringLiteral("/tmp/kestrova-discovery-net-%1").arg(getpid());
        const TProgramResult result = RunProgram(FixturePath(QStringLiteral("discovery-net.sh")),
                                                 {QStringLiteral("start"), m_dir}, 60000);
        if (result.exitCode == 0)
            m_client = QString::fromLocal8Bit(result.output).trimmed();
        else
            m_unavailable = QString::fromLocal8Bit(result.errors).trimmed();
    }
    ~DiscoveryNet()
    {
        RunProgram(FixturePath(QStringLiteral("discovery-net.sh")), {QStringLiteral("stop"), m_dir}, 60000);
        QDir(m_dir).removeRecursively();
    }
    const QString& unavailable() const { return m_unavailable; }
    // The client namespace's name (kd-<pid>-c).
    const QString& clientNamespace() const { return m_client; }

    // Runs fn on a thread inside the client namespace (or the member namespace
    // "w", "m", "d") and waits for it.
    void runInClient(const std::function<void()>& fn, const QString& member = QStringLiteral("c")) const
    {
        RunInNetworkNamespace(m_client.chopped(1) + member, fn);
    }

private:
    QString m_dir;
    QString m_client;
    QString m_unavailable;
};
