#include "engine/ScopeTree.h"

#include "support/QStringPrinter.h"
#include "support/engine/FakeNetworkBrowser.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace {

using Fake = FakeNetworkBrowser;

TNetResource Resource(const QString& name, int32_t displayType, int32_t usage)
{
    TNetResource resource;
    resource.DisplayType = displayType;
    resource.Usage = usage;
    resource.RemoteName = name;
    return resource;
}

TNetResource Provider(const QString& name)
{
    return Resource(name, kResourceDisplayTypeNetwork, kResourceUsageContainer);
}

void AddAll(Fake& browser, const QString& container, const std::vector<TNetResource>& entries)
{
    for (const TNetResource& entry : entries)
        browser.add(container, entry);
}

QStringList Captions(const TScopeNode& node)
{
    QStringList captions;
    for (const TScopeNode& child : node.Children)
        captions.append(child.Caption);
    return captions;
}

QStringList Opened(Fake& browser)
{
    QStringList opened;
    for (const QString& name : browser.openedContainers())
        opened.append(name);
    return opened;
}

TEST(ScopeTreeTest, ProvidersAreExpandedDomainsAndServersAreNot)
{
    Fake browser;
    AddAll(browser, "", {Provider("Windows Network"), Provider("Web Client")});
    AddAll(browser, "Windows Network", {Fake::Domain("OFFICE"), Fake::Domain("LAB")});
    AddAll(browser, "OFFICE", {Fake::Server("\\\\PC1")});

    const TScopeNode top = BuildScopeTree(browser);
    EXPECT_EQ(top.Caption, "Entire Network");
    EXPECT_FALSE(top.Resource.has_value());
    EXPECT_EQ(top.ImageIndex, kScopeImageEntireNetwork);
    EXPECT_EQ(Captions(top), QStringList({"Windows Network", "Web Client"}));
    const TScopeNode& windows = top.Children[0];
    EXPECT_EQ(windows.ImageIndex, kScopeImageProvider);
    ASSERT_TRUE(windows.Resource.has_value());
    EXPECT_EQ(*windows.Resource, Provider("Windows Network"));
    EXPECT_EQ(Captions(windows), QStringList({"OFFICE", "LAB"}));
    EXPECT_EQ(windows.Children[0].ImageIndex, kScopeImageDomain);
    EXPECT_TRUE(windows.Children[0].Children.empty());
    // Depth first, and never below a workgroup.
    EXPECT_EQ(Opened(browser), QStringList({"", "Windows Network", "Web Client"}));
}

TEST(ScopeTreeTest, IconsByDisplayType)
{
    EXPECT_EQ(ScopeImageIndex(kResourceDisplayTypeDomain), kScopeImageDomain);
    EXPECT_EQ(ScopeImageIndex(kResourceDisplayTypeGroup), kScopeImageDomain);
    EXPECT_EQ(ScopeImageIndex(kResourceDisplayTypeNetwork), kScopeImageProvider);
    EXPECT_EQ(ScopeImageIndex(kResourceDisplayTypeRoot), kScopeImageEntireNetwork);
    EXPECT_EQ(ScopeImageIndex(kResourceDisplayTypeServer), kScopeImageNone);
    EXPECT_EQ(ScopeImageIndex(0), kScopeImageNone);
}

TEST(ScopeTreeTest, OnlyContainersOfTheRightTypeAreOpened)
{
    Fake browser;
    // A network entry that is not a container, and a root entry that is.
    AddAll(browser, "",
           {Resource("Flat", kResourceDisplayTypeNetwork, kResourceUsageConnectable),
            Resource("Nested root", kResourceDisplayTypeRoot, kResourceUsageContainer)});
    AddAll(browser, "Flat", {Fake::Domain("NEVER")});
    AddAll(browser, "Nested root", {Fake::Domain("G1")});
    const TScopeNode top = BuildScopeTree(browser);
    EXPECT_TRUE(top.Children[0].Children.empty());
    EXPECT_EQ(Captions(top.Children[1]), QStringList({"G1"}));
    EXPECT_EQ(Opened(browser), QStringList({"", "Nested root"}));
}

TEST(ScopeTreeTest, ListingsComeInChunksAndFailuresKeepWhatCame)
{
    Fake browser;
    browser.setBatchSize(2);
    AddAll(browser, "", {Provider("A"), Provider("B"), Provider("C")});
    AddAll(
        browser, "A",
        {Fake::Domain("A1"), Fake::Domain("A2"), Fake::Domain("A3"), Fake::Domain("A4"), Fake::Domain("A5")});
    AddAll(browser, "C", {Fake::Domain("C1"), Fake::Domain("C2"), Fake::Domain("C3")});
    // "B" cannot be opened; "C" breaks off at its second call, after two entries.
    browser.failOpen("B", 53, "network path not found");
    browser.failNext("C", 1, 59, "unexpected network error");
    const TScopeNode top = BuildScopeTree(browser);
    EXPECT_EQ(Captions(top), QStringList({"A", "B", "C"}));
    EXPECT_EQ(Captions(top.Children[0]), QStringList({"A1", "A2", "A3", "A4", "A5"}));
    EXPECT_TRUE(top.Children[1].Children.empty());
    EXPECT_EQ(Captions(top.Children[2]), QStringList({"C1", "C2"}));
}

TEST(ScopeTreeTest, AnUnopenableTopGivesTheTopNodeAlone)
{
    Fake browser;
    browser.failOpen("", 1222, "no network");
    const TScopeNode top = BuildScopeTree(browser);
    EXPECT_EQ(top.Caption, "Entire Network");
    EXPECT_TRUE(top.Children.empty());
}

TEST(ScopeTreeTest, ProvidersNestedWithoutEndStopAtTheDepthLimit)
{
    Fake browser;
    browser.add("", Provider("P"));
    browser.add("P", Provider("P")); // every level lists itself again
    const TScopeNode top = BuildScopeTree(browser);
    int depth = 0;
    for (const TScopeNode* node = &top; !node->Children.empty(); node = &node->Children.front())
        ++depth;
    EXPECT_EQ(depth, kMaxScopeDepth + 1);
}

TEST(ScopeTreeTest, StopsWhenAskedAndReturnsWhatItHas)
{
    Fake browser;
    AddAll(browser, "", {Provider("A"), Provider("B")});
    browser.add("A", Fake::Domain("A1"));
    browser.add("B", Fake::Domain("B1"));
    int asked = 0;
    const TScopeNode top = BuildScopeTree(browser, [&] { return ++asked < 3; });
    EXPECT_FALSE(Opened(browser).contains("B"));
    EXPECT_EQ(Captions(top), QStringList({"A"}));

    Fake never;
    never.add("", Provider("A"));
    EXPECT_TRUE(BuildScopeTree(never, [] { return false; }).Children.empty());
    EXPECT_TRUE(never.openedContainers().empty());
}

} // namespace
