#include "app/SearchHistory.h"
#include "app/SearchValidation.h"
#include "support/QStringPrinter.h"

#include <gtest/gtest.h>

namespace {

TEST(SearchHistoryTest, NewTextGoesOnTopAndTheEleventhPushesTheOldestOut)
{
    QStringList history;
    for (int i = 1; i <= 10; ++i)
        AddHistoryItem(history, QStringLiteral("*.t%1").arg(i));
    EXPECT_EQ(history.size(), 10);
    EXPECT_EQ(history.first(), "*.t10");
    EXPECT_EQ(history.last(), "*.t1");

    AddHistoryItem(history, "*.new");
    EXPECT_EQ(history.size(), 10);
    EXPECT_EQ(history.first(), "*.new");
    EXPECT_EQ(history.last(), "*.t2");
}

TEST(SearchHistoryTest, AKnownTextInOtherLetterCaseChangesNothing)
{
    QStringList history{"*.doc", "*.txt"};
    AddHistoryItem(history, "*.TXT");
    EXPECT_EQ(history, QStringList({"*.doc", "*.txt"}));
}

TEST(SearchHistoryTest, TextIsStoredAsTypedAndEmptyTextCountsToo)
{
    QStringList history;
    AddHistoryItem(history, "  *.doc ");
    AddHistoryItem(history, "");
    AddHistoryItem(history, "");
    EXPECT_EQ(history, QStringList({"", "  *.doc "}));
}

TEST(SearchHistoryTest, AnOverlongListFromAFileIsCutToTheLimit)
{
    QStringList history;
    for (int i = 0; i < 15; ++i)
        history.append(QString::number(i));
    AddHistoryItem(history, "3");
    EXPECT_EQ(history.size(), kHistoryLimit);
    EXPECT_EQ(history.last(), "9");
}

TSearchRequest Request(TSearchType method, QStringList resList, TFolderListMode folders,
                       QStringList folderList, QString mask)
{
    return TSearchRequest{method, std::move(resList), folders, std::move(folderList), std::move(mask)};
}

constexpr TFolderListMode kAllFolders = TFolderListMode::AllFolders;

TEST(SearchValidationTest, EverySearchTypeButTheEntireNetworkNeedsAScopeList)
{
    for (TSearchType method : {TSearchType::ExcludedComputers, TSearchType::SpecifiedComputers,
                               TSearchType::IpAddressRange, TSearchType::Unknown})
        EXPECT_EQ(SearchRefusal(Request(method, {}, kAllFolders, {}, "*.doc")),
                  "No computers or IP ranges are specified");
    EXPECT_EQ(SearchRefusal(Request(TSearchType::EntireNetwork, {}, kAllFolders, {}, "*.doc")), "");
    EXPECT_EQ(SearchRefusal(Request(TSearchType::ExcludedComputers, {"\\\\PC1"}, kAllFolders, {}, "*.doc")),
              "");
}

TEST(SearchValidationTest, ChecksRunInOrderScopeThenFoldersThenMask)
{
    constexpr TSearchType kNetwork = TSearchType::EntireNetwork;
    EXPECT_EQ(
        SearchRefusal(Request(TSearchType::SpecifiedComputers, {}, TFolderListMode::OnlySpecified, {}, "")),
        "No computers or IP ranges are specified");
    EXPECT_EQ(SearchRefusal(Request(kNetwork, {}, TFolderListMode::AllExceptSpecified, {}, "")),
              "No folders are specified");
    // A folder mode the settings did not know still asks for a folder list.
    EXPECT_EQ(SearchRefusal(Request(kNetwork, {}, TFolderListMode::Unknown, {}, "")),
              "No folders are specified");
    EXPECT_EQ(SearchRefusal(Request(kNetwork, {}, TFolderListMode::OnlySpecified, {"*\\temp"}, "")),
              "No search mask is specified");
}

TEST(SearchValidationTest, AMaskOfBlanksAndControlsIsRefusedAndBlanksAroundAMaskAreFine)
{
    EXPECT_EQ(SearchRefusal(Request(TSearchType::EntireNetwork, {}, kAllFolders, {}, " \t \x01 ")),
              "No search mask is specified");
    EXPECT_EQ(SearchRefusal(Request(TSearchType::EntireNetwork, {}, kAllFolders, {}, "  *.doc  ")), "");
    EXPECT_EQ(TrimBlanksAndControls("\t *.doc \n"), "*.doc");
    EXPECT_EQ(TrimBlanksAndControls(" a b "), "a b");
}

} // namespace
