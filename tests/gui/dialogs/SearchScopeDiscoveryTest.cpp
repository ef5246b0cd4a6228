#include "dialogs/SearchScopeForm.h"
#include "model/DiscoverySettings.h"
#include "platform/MulticastHostDiscovery.h"
#include "support/DialogTestSupport.h"
#include "support/DiscoveryNet.h"
#include "support/QStringPrinter.h"
#include "support/engine/FakeNetworkBrowser.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>
#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>

// The scope browser as one host list: the NetBIOS browse (a fake one here) and
// multicast discovery (a fake, or the real one in the discovery namespaces) merged.
namespace {

using Fake = FakeNetworkBrowser;

// Hands out fixed hosts and remembers the announcement callback, so that the test
// can play Hello and Bye.
class ScriptedDiscovery : public HostDiscovery {
public:
    std::vector<TFoundHost> hosts;
    AnnouncementCallback announce;

    std::vector<TFoundHost> discover(std::chrono::milliseconds, bool, std::stop_token) override
    {
        return hosts;
    }
    std::unique_ptr<HostWatch> watch(AnnouncementCallback callback) override
    {
        announce = std::move(callback);
        return std::make_unique<HostWatch>();
    }
};

std::shared_ptr<Fake> NetBiosNetwork()
{
    auto browser = std::make_shared<Fake>();
    browser->add("", Fake::Domain("WORKGROUP"));
    browser->add("WORKGROUP", Fake::Server("\\\\NBHOST1"));
    browser->add("WORKGROUP", Fake::Server("\\\\KWSD1"));
    return browser;
}

QTreeWidgetItem* FindItem(QTreeWidget* tree, const QString& caption)
{
    const QList<QTreeWidgetItem*> found = tree->findItems(caption, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.first();
}

class SearchScopeDiscoveryTest : public TDialogTest {
protected:
    static void Build(TSearchScopeForm& form)
    {
        QSignalSpy finished(&form, &TSearchScopeForm::buildFinished);
        form.findChild<QPushButton*>("ButtonRefresh")->click();
        ASSERT_TRUE(finished.wait(15000));
    }
};

TEST_F(SearchScopeDiscoveryTest, TheMapListsEveryComputerOnceWithItsSources)
{
    auto discovery = std::make_shared<ScriptedDiscovery>();
    discovery->hosts = {{"198.18.0.2", "KWSD1", "WORKGROUP", uint8_t(THostSource::WsDiscovery)},
                        {"198.18.0.3", "kmdns1", "", uint8_t(THostSource::DnsSd)}};
    TSearchScopeForm form(NetBiosNetwork(), nullptr, discovery);
    Build(form);
    QTreeWidget* tree = form.tree();
    QTreeWidgetItem* netBiosOnly = FindItem(tree, "\\\\NBHOST1");
    QTreeWidgetItem* both = FindItem(tree, "\\\\KWSD1");
    QTreeWidgetItem* mdns = FindItem(tree, "kmdns1");
    ASSERT_TRUE(netBiosOnly && both && mdns);
    EXPECT_EQ(netBiosOnly->toolTip(0), "Found by NetBIOS");
    EXPECT_EQ(both->toolTip(0), QString::fromUtf8("198.18.0.2 \u2014 found by NetBIOS, WS-Discovery"));
    EXPECT_EQ(mdns->toolTip(0), QString::fromUtf8("198.18.0.3 \u2014 found by DNS-SD"));
    EXPECT_EQ(tree->findItems("KWSD1", Qt::MatchExactly | Qt::MatchRecursive).size(), 0); // not twice
    EXPECT_EQ(both->text(1), "NetBIOS, WS-Discovery");
    EXPECT_EQ(mdns->text(1), "DNS-SD");

    // Choosing the DNS-SD computer makes it the root, by address.
    tree->setCurrentItem(mdns);
    mdns->setSelected(true);
    form.accept();
    ASSERT_TRUE(form.chosenRoot());
    EXPECT_EQ(form.chosenRoot()->RemoteName, "\\\\198.18.0.3");
    EXPECT_EQ(form.chosenRoot()->Provider, kDiscoveryProvider);
}

TEST_F(SearchScopeDiscoveryTest, HelloAndByeUpdateABuiltMap)
{
    auto discovery = std::make_shared<ScriptedDiscovery>();
    TSearchScopeForm form(NetBiosNetwork(), nullptr, discovery);
    ASSERT_TRUE(discovery->announce);
    Build(form);
    discovery->announce({"198.18.0.9", "NEWPC", "HOMELAB", uint8_t(THostSource::WsDiscovery)}, true);
    QTRY_VERIFY_WITH_TIMEOUT(FindItem(form.tree(), "NEWPC") != nullptr, 5000);
    EXPECT_NE(FindItem(form.tree(), "HOMELAB"), nullptr);
    discovery->announce({"198.18.0.9", "", "", uint8_t(THostSource::WsDiscovery)}, false);
    QTRY_VERIFY_WITH_TIMEOUT(FindItem(form.tree(), "NEWPC") == nullptr, 5000);
}

// With KESTROVA_SCOPE_SHOT=FILE (and root): the scope browser of the discovery
// namespaces, WS-Discovery and DNS-SD for real, beside a NetBIOS list, saved as PNG.
TEST_F(SearchScopeDiscoveryTest, ScreenshotOfTheDiscoveryNamespaces)
{
    const char* shot = std::getenv("KESTROVA_SCOPE_SHOT");
    if (!shot)
        GTEST_SKIP() << "set KESTROVA_SCOPE_SHOT=FILE to take the screenshot";
    DiscoveryNet net;
    if (!net.unavailable().isEmpty())
        GTEST_SKIP() << net.unavailable().toStdString();
    // Widgets live on this thread, so this thread enters the client namespace.
    const QByteArray path = ("/run/netns/" + net.clientNamespace()).toLocal8Bit();
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    ASSERT_TRUE(fd >= 0 && ::setns(fd, CLONE_NEWNET) == 0);
    ::close(fd);
    TSearchScopeForm form(NetBiosNetwork(), nullptr, std::make_shared<MulticastHostDiscovery>());
    form.show();
    Build(form);
    QTreeWidgetItem* mdns = FindItem(form.tree(), "kmdns1");
    ASSERT_NE(mdns, nullptr);
    form.tree()->setCurrentItem(mdns);
    EXPECT_TRUE(form.grab().save(QString::fromLocal8Bit(shot)));
}

} // namespace
