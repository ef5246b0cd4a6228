#pragma once

#include <QString>
#include <QStringList>
#include <functional>

// Two network namespaces made for one test and deleted afterwards, joined by a veth
// pair: "scanner" holds 198.19.77.1/24, "hosts" holds the given addresses of the same
// /24. Every other address of the /24 has nobody behind it: no ARP answer, silence
// for every probe. Nothing routes out of the pair, so no traffic leaves it. Needs
// root (CAP_SYS_ADMIN, CAP_NET_ADMIN) and the ip tool; ready() says whether it
// worked and failure() why not.
class NetworkLab {
public:
    static constexpr const char* kScannerAddress = "198.19.77.1";

    struct Options {
        QStringList hostAddresses;
        bool hostsIgnorePing = false;          // the hosts' kernel does not answer ICMP echo
        bool scannerAllowsPingSockets = false; // open net.ipv4.ping_group_range in the scanner
        int scannerDefaultTtl = 0;             // net.ipv4.ip_default_ttl in the scanner; 0 keeps 64
    };

    explicit NetworkLab(const Options& options);
    ~NetworkLab();
    NetworkLab(const NetworkLab&) = delete;
    NetworkLab& operator=(const NetworkLab&) = delete;

    bool ready() const { return m_ready; }
    const QString& failure() const { return m_failure; }

    // Runs fn on a thread that has entered the namespace, and waits for it. Sockets
    // opened there stay in the namespace, and threads started there inherit it.
    // Exceptions thrown by fn are rethrown here.
    void runInScanner(const std::function<void()>& fn) const;
    void runInHosts(const std::function<void()>& fn) const;

private:
    bool writeSetting(const QString& name, const char* path, const QByteArray& value);
    bool ip(const QStringList& arguments);

    QString m_scanner;
    QString m_hosts;
    bool m_ready = false;
    QString m_failure;
};

// Runs fn on a thread that has entered the network namespace /run/netns/NAME, and
// waits for it; exceptions thrown by fn (or a namespace that cannot be entered)
// are rethrown here.
void RunInNetworkNamespace(const QString& name, const std::function<void()>& fn);
