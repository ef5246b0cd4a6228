#include "engine/MaskLists.h"

#include "model/Error.h"
#include "support/QStringPrinter.h"

#include <gtest/gtest.h>

namespace {

QString Normalized(QString text)
{
    NormalizeFileMask(text);
    return text;
}

TEST(MaskListsTest, NormalizeWrapsPlainTextAndUnquotes)
{
    EXPECT_EQ(Normalized("report"), "*report*");
    EXPECT_EQ(Normalized(""), "**");
    EXPECT_EQ(Normalized("*.txt"), "*.txt");
    EXPECT_EQ(Normalized("a?c"), "a?c");
    EXPECT_EQ(Normalized("\"report.doc\""), "report.doc");
    EXPECT_EQ(Normalized("\"a\"\"b\""), "a\"b");
    EXPECT_EQ(Normalized("\"a.txt\"tail"), "a.txt");
    EXPECT_EQ(Normalized("\"\""), "");
    // Unclosed quote, or a quote not at the start: left alone.
    EXPECT_EQ(Normalized("\"abc"), "\"abc");
    EXPECT_EQ(Normalized("\"abc\"\""), "\"abc\"\"");
    EXPECT_EQ(Normalized("x\"y\""), "x\"y\"");
    EXPECT_EQ(Normalized("\"*.d[oc\""), "*.d[oc");
}

TEST(MaskListsTest, PlainBoxTextFindsNamesContainingIt)
{
    const auto masks = BuildFileMasks("txt");
    ASSERT_EQ(masks.size(), 1u);
    EXPECT_TRUE(AnyMaskMatches(masks, "a.TXT"));
    EXPECT_TRUE(AnyMaskMatches(masks, "txtfile"));
    EXPECT_FALSE(AnyMaskMatches(masks, "text"));
}

TEST(MaskListsTest, SemicolonsSeparateMasksAndOneTrailingIsDropped)
{
    const auto two = BuildFileMasks("*.doc;*.xls;");
    ASSERT_EQ(two.size(), 2u);
    EXPECT_TRUE(AnyMaskMatches(two, "a.DOC"));
    EXPECT_TRUE(AnyMaskMatches(two, "b.xls"));
    EXPECT_FALSE(AnyMaskMatches(two, "c.ppt"));

    // Elements are not trimmed.
    const auto spaced = BuildFileMasks("*.doc; *.xls");
    ASSERT_EQ(spaced.size(), 2u);
    EXPECT_FALSE(AnyMaskMatches(spaced, "b.xls"));
    EXPECT_TRUE(AnyMaskMatches(spaced, " b.xls"));
}

TEST(MaskListsTest, EmptyElementsMatchEveryName)
{
    for (const QString& text : {QString(), QStringLiteral(";"), QStringLiteral("*.doc;;")}) {
        const auto masks = BuildFileMasks(text);
        EXPECT_TRUE(AnyMaskMatches(masks, "anything.bin")) << text.toStdString();
        EXPECT_TRUE(AnyMaskMatches(masks, "")) << text.toStdString();
    }
    EXPECT_EQ(BuildFileMasks(";;").size(), 2u);
}

TEST(MaskListsTest, QuotedBoxTextNeedsTheExactName)
{
    const auto masks = BuildFileMasks("\"a.txt\"");
    EXPECT_TRUE(AnyMaskMatches(masks, "a.txt"));
    EXPECT_TRUE(AnyMaskMatches(masks, "A.TXT"));
    EXPECT_FALSE(AnyMaskMatches(masks, "ba.txt"));

    // Two quotes alone give the empty mask: only an empty name.
    const auto empty = BuildFileMasks("\"\"");
    EXPECT_FALSE(AnyMaskMatches(empty, "x"));
    EXPECT_TRUE(AnyMaskMatches(empty, ""));
}

TEST(MaskListsTest, InvalidElementRaisesWithItsNormalisedText)
{
    // "[a" holds no wildcard, so it is searched as "*[a*" and fails at its end.
    try {
        BuildFileMasks("*.doc;[a");
        FAIL() << "mask list built";
    } catch (const EKestrovaError& error) {
        EXPECT_EQ(error.message(), "'*[a*' is an invalid mask at (5)");
    }
    EXPECT_THROW(BuildFileMasks("\"x[]\""), EKestrovaError);
    EXPECT_THROW(BuildFolderMasks("ok,[-a]"), EKestrovaError);
}

TEST(MaskListsTest, FolderMasksComeFromCommaTextUnnormalised)
{
    const auto masks = BuildFolderMasks("\"*\\My Documents\",exchange*");
    ASSERT_EQ(masks.size(), 2u);
    // Not wrapped in stars: "exchange*" does not match "old exchange".
    EXPECT_FALSE(AnyMaskMatches(masks, "old exchange"));
    EXPECT_TRUE(BuildFolderMasks(QString()).empty());
    EXPECT_FALSE(FolderMatches(BuildFolderMasks(QString()), "\\\\HOST\\share\\x"));
}

TEST(MaskListsTest, FolderMatchesTheShareRelativePath)
{
    const auto masks = BuildFolderMasks("\"*\\My Documents\",exchange*");
    EXPECT_TRUE(FolderMatches(masks, "\\\\HOST\\users\\john\\My Documents"));
    EXPECT_TRUE(FolderMatches(masks, "\\\\HOST\\USERS\\JOHN\\my documents"));
    EXPECT_FALSE(FolderMatches(masks, "\\\\HOST\\users\\john\\My Documents\\Letters"));

    EXPECT_TRUE(FolderMatches(masks, "\\\\HOST\\exchange"));
    EXPECT_TRUE(FolderMatches(masks, "\\\\HOST\\exchange\\mdbdata\\logs"));
    EXPECT_TRUE(FolderMatches(masks, "\\\\HOST\\Exchange2019\\x"));
    EXPECT_FALSE(FolderMatches(masks, "\\\\HOST\\data\\exchange"));
    // The host name is not part of the tested text.
    EXPECT_FALSE(FolderMatches(masks, "\\\\exchange\\data"));
}

TEST(MaskListsTest, TrailingBackslashMaskCoversFolderAndSubfolders)
{
    const auto masks = BuildFolderMasks("*temp\\db\\*");
    EXPECT_TRUE(FolderMatches(masks, "\\\\HOST\\share\\temp\\db"));
    EXPECT_TRUE(FolderMatches(masks, "\\\\HOST\\share\\temp\\db\\2024\\x"));
    EXPECT_FALSE(FolderMatches(masks, "\\\\HOST\\share\\temp\\dbx"));
    EXPECT_FALSE(FolderMatches(masks, "\\\\HOST\\share\\temp"));
}

TEST(MaskListsTest, HostEndsAtTheFirstBackslashFromTheThirdCharacter)
{
    const auto masks = BuildFolderMasks("share");
    EXPECT_TRUE(FolderMatches(masks, "\\\\HOST\\share"));
    EXPECT_FALSE(FolderMatches(masks, "\\\\HOST"));
    // An empty folder mask matches only the empty relative part of a bare host.
    EXPECT_TRUE(FolderMatches(BuildFolderMasks("\"\""), "\\\\HOST"));
    EXPECT_FALSE(FolderMatches(BuildFolderMasks("\"\""), "\\\\HOST\\share"));
}

} // namespace
