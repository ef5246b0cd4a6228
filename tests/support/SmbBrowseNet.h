#pragma once

#include "platform/SmbNetworkBrowser.h"

#include <QString>
#include <QStringList>
#include <vector>

// The NetBIOS test network of tests/fixtures/smb-browse-net.sh, started for one test
// suite and deleted afterwards: in workgroup KESTROVANET the master browser KBROWSE1
// (share "pub" with pub.txt) and KBROWSE2 (share "docs" with docs.txt), and a client
// namespace where the tests run their SMB agents. Needs root, iproute2, smbd, nmbd.
class SmbBrowseNet {
public:
    static inline const QString kWorkgroup = QStringLiteral("KESTROVANET");

    SmbBrowseNet();
    ~SmbBrowseNet();
    SmbBrowseNet(const SmbBrowseNet&) = delete;
    SmbBrowseNet& operator=(const SmbBrowseNet&) = delete;

    // Empty when the network is up; otherwise why it is not (the skip message).
    const QString& unavailable() const { return m_unavailable; }
    const QString& clientNamespace() const { return m_clientNamespace; }

    // Makes every SMB agent started from now on run in the client namespace; the
    // destructor restores the default command.
    void runAgentsInClient() const;

private:
    QString m_dir;
    QString m_clientNamespace;
    QString m_unavailable;
};

// Every entry below container (null: the top), up to the end or the first error.
std::vector<TNetResource> BrowseAll(NetworkBrowser& browser, const TNetResource* container,
                                    PlatformError& error);
// The entry of that remote name (case-insensitive), or null.
const TNetResource* NamedResource(const std::vector<TNetResource>& resources, const QString& remoteName);
// Browse lists fill as the election ends and servers announce themselves: asks
// again every second until every wanted name is listed or the time is up.
std::vector<TNetResource> BrowseUntil(NetworkBrowser& browser, const TNetResource* container,
                                      const QStringList& wanted, int seconds);
