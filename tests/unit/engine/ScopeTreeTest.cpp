#include "engine/ScopeTree.h"

#include "support/FakeNetworkBrowser.h"
#include "support/QStringPrinter.h"

#include <gtest/gtest.h>

namespace {

using Fake = FakeNetworkBrowser;

QStringList Captions(const TScopeNode& node)
{
    QStringList captions;
    for (const TScopeNode& child : node.Children)
        captions.append(child.Caption);
    return captions;
}

TEST(ScopeTreeTest, ProvidersAreExpandedDomainsAndServersAreNot)
{
    Fake browser;
    browser.add("", {Fake::Provider("Windows Network"), Fake::Provider("Web Client")});
    browser.add("Windows Network", {Fake::Workgroup("OFFICE"), Fake::Workgroup("LAB")});
    browser.add("Web Client", {});
    browser.add("OFFICE", {Fake::Server("\\\\PC1")});
    browser.add("\\\\PC1", {});

    const TScopeNode top = BuildScopeTree(browser);
    EXPECT_EQ(top.Caption, "Entire Network");
    EXPECT_FALSE(top.Resource.has_value());
    EXPECT_EQ(top.ImageIndex, kScopeImageEntireNetwork);
    EXPECT_EQ(Captions(top), QStringList({"Windows Network", "Web Client"}));
    const TScopeNode& windows = top.Children[0];
    EXPECT_EQ(windows.ImageIndex, kScopeImageProvider);
    ASSERT_TRUE(windows.Resource.has_value());
    EXPECT_EQ(*windows.Resource, Fake::Provider("Windows Network"));
    EXPECT_EQ(Captions(windows), QStringList({"OFFICE", "LAB"}));
    EXPECT_EQ(windows.Children[0].ImageIndex, kScopeImageDomain);
    EXPECT_TRUE(windows.Children[0].Children.empty());
    // Depth first, and never below a workgroup.
    EXPECT_EQ(browser.opened(), QStringList({"", "Windows Network", "Web Client"}));
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
    browser.add("", {Fake::Resource("Flat", kResourceDisplayTypeNetwork, kResourceUsageConnectable),
                     Fake::Resource("Nested root", kResourceDisplayTypeRoot, kResourceUsageContainer)});
    browser.add("Flat", {Fake::Workgroup("NEVER")});
    browser.add("Nested root", {Fake::Workgroup("G1")});
    const TScopeNode top = BuildScopeTree(browser);
    EXPECT_TRUE(top.Children[0].Children.empty());
    EXPECT_EQ(Captions(top.Children[1]), QStringList({"G1"}));
    EXPECT_EQ(browser.opened(), QStringList({"", "Nested root"}));
}

TEST(ScopeTreeTest, ListingsComeInChunksAndFailuresKeepWhatCame)
{
    Fake browser;
    browser.chunkSize = 2;
    browser.add("", {Fake::Provider("A"), Fake::Provider("B"), Fake::Provider("C")});
    browser.add("A", {Fake::Workgroup("A1"), Fake::Workgroup("A2"), Fake::Workgroup("A3"),
                      Fake::Workgroup("A4"), Fake::Workgroup("A5")});
    // "B" cannot be opened; "C" breaks off after one entry.
    browser.add("C", {Fake::Workgroup("C1"), Fake::Workgroup("C2")}, 1);
    const TScopeNode top = BuildScopeTree(browser);
    EXPECT_EQ(Captions(top), QStringList({"A", "B", "C"}));
    EXPECT_EQ(Captions(top.Children[0]), QStringList({"A1", "A2", "A3", "A4", "A5"}));
    EXPECT_TRUE(top.Children[1].Children.empty());
    EXPECT_EQ(Captions(top.Children[2]), QStringList({"C1"}));
}

TEST(ScopeTreeTest, AnUnopenableTopGivesTheTopNodeAlone)
{
    Fake browser;
    const TScopeNode top = BuildScopeTree(browser);
    EXPECT_EQ(top.Caption, "Entire Network");
    EXPECT_TRUE(top.Children.empty());
}

TEST(ScopeTreeTest, ProvidersNestedWithoutEndStopAtTheDepthLimit)
{
    Fake browser;
    browser.add("", {Fake::Provider("P")});
    browser.add("P", {Fake::Provider("P")}); // every level lists itself again
    const TScopeNode top = BuildScopeTree(browser);
    int depth = 0;
    for (const TScopeNode* node = &top; !node->Children.empty(); node = &node->Children.front())
        ++depth;
    EXPECT_EQ(depth, kMaxScopeDepth + 1);
}

TEST(ScopeTreeTest, StopsWhenAskedAndReturnsWhatItHas)
{
    Fake browser;
    browser.add("", {Fake::Provider("A"), Fake::Provider("B")});
    browser.add("A", {Fake::Workgroup("A1")});
    browser.add("B", {Fake::Workgroup("B1")});
    int asked = 0;
    const TScopeNode top = BuildScopeTree(browser, [&] { return ++asked < 3; });
    EXPECT_FALSE(browser.opened().contains("B"));
    EXPECT_EQ(Captions(top).first(), "A");

    Fake never;
    never.add("", {Fake::Provider("A")});
    EXPECT_TRUE(BuildScopeTree(never, [] { return false; }).Children.empty());
    EXPECT_TRUE(never.opened().isEmpty());
}

} // namespace
