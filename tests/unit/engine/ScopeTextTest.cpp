#include "engine/ScopeText.h"

#include "support/QStringPrinter.h"

#include <gtest/gtest.h>

namespace {

TScopeRoot Root(const QString& name)
{
    TScopeRoot root;
    root.Assigned = true;
    root.Resource.RemoteName = name;
    return root;
}

TEST(ScopeTextTest, EachSearchTypeNamesWhatItCovers)
{
    const QStringList computers = {"\\\\PC1", " \\\\PC 2 ", ""};
    EXPECT_EQ(SearchScopeText(TSearchType::EntireNetwork, computers, {}), "Entire Network");
    EXPECT_EQ(SearchScopeText(TSearchType::EntireNetwork, computers, Root("WORKGROUP")), "WORKGROUP");
    EXPECT_EQ(SearchScopeText(TSearchType::SpecifiedComputers, computers, Root("WORKGROUP")),
              "\\\\PC1, \\\\PC 2");
    EXPECT_EQ(SearchScopeText(TSearchType::ExcludedComputers, computers, {}),
              "Entire Network except \\\\PC1, \\\\PC 2");
    EXPECT_EQ(SearchScopeText(TSearchType::IpAddressRange, {"10.0.0.1 - 10.0.0.9"}, {}),
              "10.0.0.1 - 10.0.0.9");
    EXPECT_EQ(SearchScopeText(TSearchType::Unknown, computers, {}), "Nothing");
}

TEST(ScopeTextTest, ALongListNamesTheFirstThreeAndCountsTheRest)
{
    EXPECT_EQ(SearchScopeText(TSearchType::SpecifiedComputers, {"A", "B", "C", "D", "E"}, {}),
              "A, B, C and 2 more");
    EXPECT_EQ(SearchScopeText(TSearchType::SpecifiedComputers, {"A", "B", "C"}, {}), "A, B, C");
}

} // namespace
