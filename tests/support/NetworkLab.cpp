#include "support/NetworkLab.h"

#include "support/ChildProcess.h"

#include <QDir>
#include <QRegularExpression>
#include <atomic>
#include <cerrno>
#include <exception>
#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

std::atomic<int> g_labCount{0};

// Runs the ip tool and collects its output and error output.
bool RunIp(const QStringList& arguments, QString& errors)
{
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) {
        errors = QStringLiteral("pipe failed");
        return false;
    }
    const pid_t child = StartChild(QStringLiteral("ip"), arguments, {-1, pipeFds[1], pipeFds[1]});
    close(pipeFds[1]);
    QByteArray output;
    char buffer[512];
    ssize_t got;
    while ((got = read(pipeFds[0], buffer, sizeof buffer)) > 0)
        output.append(buffer, got);
    close(pipeFds[0]);
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child) {
        errors = QStringLiteral("cannot run ip");
        return false;
    }
    errors = QString::fromLocal8Bit(output);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// A test that crashed never deleted its namespaces: remove the ones whose process
// is gone. Only names of the form kdisc-<pid>-<n>-<s|h> are touched.
void RemoveStaleLabs()
{
    const QRegularExpression pattern(QStringLiteral("^kdisc-(\\d+)-\\d+-[sh]$"));
    const QStringList names = QDir(QStringLiteral("/run/netns")).entryList(QDir::Files | QDir::System);
    for (const QString& name : names) {
        const QRegularExpressionMatch match = pattern.match(name);
        if (!match.hasMatch())
            continue;
        const pid_t owner = match.captured(1).toInt();
        if (owner == getpid() || kill(owner, 0) == 0 || errno != ESRCH)
            continue;
        QString ignored;
        RunIp({"netns", "del", name}, ignored);
    }
}

} // namespace

NetworkLab::NetworkLab(const Options& options)
{
    const QString stem = QStringLiteral("kdisc-%1-%2").arg(getpid()).arg(g_labCount.fetch_add(1));
    m_scanner = stem + QStringLiteral("-s");
    m_hosts = stem + QStringLiteral("-h");
    if (geteuid() != 0) {
        m_failure = QStringLiteral("network namespaces need root");
        return;
    }
    RemoveStaleLabs();
    if (!ip({"netns", "add", m_scanner}) || !ip({"netns", "add", m_hosts}))
        return;
    bool ok =
        ip({"-n", m_scanner, "link", "add", "kv0", "type", "veth", "peer", "name", "kv1", "netns",
            m_hosts}) &&
        ip({"-n", m_scanner, "addr", "add", QStringLiteral("%1/24").arg(kScannerAddress), "dev", "kv0"}) &&
        ip({"-n", m_scanner, "link", "set", "kv0", "up"}) &&
        ip({"-n", m_scanner, "link", "set", "lo", "up"}) && ip({"-n", m_hosts, "link", "set", "kv1", "up"}) &&
        ip({"-n", m_hosts, "link", "set", "lo", "up"});
    for (const QString& address : options.hostAddresses)
        ok = ok && ip({"-n", m_hosts, "addr", "add", address + QStringLiteral("/24"), "dev", "kv1"});
    if (ok && options.hostsIgnorePing)
        ok = writeSetting(m_hosts, "/proc/sys/net/ipv4/icmp_echo_ignore_all", "1");
    if (ok && options.scannerAllowsPingSockets)
        ok = writeSetting(m_scanner, "/proc/sys/net/ipv4/ping_group_range", "0 2147483647");
    if (ok && options.scannerDefaultTtl > 0)
        ok = writeSetting(m_scanner, "/proc/sys/net/ipv4/ip_default_ttl",
                          QByteArray::number(options.scannerDefaultTtl));
    m_ready = ok;
}

NetworkLab::~NetworkLab()
{
    // Deleting a namespace only unmounts its name; it goes when its last socket does.
    QString ignored;
    RunIp({"netns", "del", m_scanner}, ignored);
    RunIp({"netns", "del", m_hosts}, ignored);
}

bool NetworkLab::writeSetting(const QString& name, const char* path, const QByteArray& value)
{
    bool written = false;
    RunInNetworkNamespace(name, [&] {
        // /proc/sys/net shows the network namespace of the thread that opens it.
        const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
        written =
            fd >= 0 && ::write(fd, value.constData(), static_cast<size_t>(value.size())) == value.size();
        if (fd >= 0)
            ::close(fd);
    });
    if (!written)
        m_failure = QStringLiteral("cannot write %1 in %2").arg(QString::fromLatin1(path), name);
    return written;
}

bool NetworkLab::ip(const QStringList& arguments)
{
    QString errors;
    if (RunIp(arguments, errors))
        return true;
    m_failure = QStringLiteral("ip %1 failed: %2").arg(arguments.join(u' '), errors.trimmed());
    return false;
}

void NetworkLab::runInScanner(const std::function<void()>& fn) const
{
    RunInNetworkNamespace(m_scanner, fn);
}

void NetworkLab::runInHosts(const std::function<void()>& fn) const
{
    RunInNetworkNamespace(m_hosts, fn);
}

void RunInNetworkNamespace(const QString& name, const std::function<void()>& fn)
{
    std::exception_ptr failure;
    std::thread thread([&] {
        try {
            const QByteArray path = QStringLiteral("/run/netns/%1").arg(name).toLocal8Bit();
            const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
            if (fd < 0 || ::setns(fd, CLONE_NEWNET) != 0) {
                if (fd >= 0)
                    ::close(fd);
                throw std::runtime_error("cannot enter network namespace " + name.toStdString());
            }
            ::close(fd);
            fn();
        } catch (...) {
            failure = std::current_exception();
        }
    });
    thread.join();
    if (failure)
        std::rethrow_exception(failure);
}
