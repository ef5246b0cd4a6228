#pragma once

#include <QString>
#include <gtest/gtest.h>

// What the Samba test hosts (tests/fixtures/smb-servers.sh, ctest fixture
// "smb_servers") offer, for the tests that use them.
//
//   host 2: public (guest), hidden$ (guest), secret (guest, not browseable),
//           alice and bob (their users only), lp (printer)
//   host 3: docs (read only, its folder mode 0777), data$ (guest; data$\chunked.bin: "SPLIT-TERM-4" across
//   the 1 MiB
//           mark, "END-MARK" at the end), scratch (alice only, writable, not browseable)
//   host 4: private (alice and bob; no anonymous access at all)
//   host 5: team (bob only), pub (guest, writable, comment "Guest drop box")
namespace SmbFixture {

struct TestUser {
    QString name;
    QString password;
};

TestUser alice();
TestUser bob();

// The first three octets of the test addresses: KESTROVA_TEST_NET or "127.0.0".
QString network();
// network() + "." + host, e.g. "127.0.0.2".
QString address(int host);
// "\\" + address(host).
QString hostUnc(int host);
// An address in the test network where nothing listens.
QString silentHostUnc();

// The fixture's folder: KESTROVA_SMB_FIXTURE_DIR or /tmp/kestrova-smb-fixture-<build hash>.
QString stateDir();
// The local folder behind a share of a host (host 2, "public" -> .../host2/shares/public).
QString shareDir(int host, const QString& folder);

// True when the hosts were started and host 2 accepts connections; otherwise
// why not, for the skip message.
bool isUp(QString* whyNot = nullptr);

// Points SmbAgentProcess at the agent of this build.
void useBuiltAgent();

} // namespace SmbFixture

// Skips the current test with the reason when the Samba hosts are not there.
#define KESTROVA_REQUIRE_SMB_FIXTURE()                                                                       \
    do {                                                                                                     \
        QString kestrovaWhyNot;                                                                              \
        if (!SmbFixture::isUp(&kestrovaWhyNot))                                                              \
            GTEST_SKIP() << "Samba test hosts not available: " << kestrovaWhyNot.toStdString();              \
        SmbFixture::useBuiltAgent();                                                                         \
    } while (false)
