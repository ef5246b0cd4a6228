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

TSearchRequest Request(int method, QStringList resList, int folders, QStringList folderList, QString mask)
{
    return TSearchRequest{method, std::move(resList), folders, std::move(folderList), std::move(mask)};
}

TEST(SearchValidationTest, EverySearchTypeButTheEntireNetworkNeedsAScopeList)
{
    for (int method : {1, 2, 3})
        EXPECT_EQ(SearchRefusal(Request(method, {}, 0, {}, "*.doc")),
                  "No computers or IP ranges are specified");
    EXPECT_EQ(SearchRefusal(Request(0, {}, 0, {}, "*.doc")), "");
    EXPECT_EQ(SearchRefusal(Request(1, {"\\\\PC1"}, 0, {}, "*.doc")), "");
}

TEST(SearchValidationTest, ChecksRunInOrderScopeThenFoldersThenMask)
{
    EXPECT_EQ(SearchRefusal(Request(2, {}, 1, {}, "")), "No computers or IP ranges are specified");
    EXPECT_EQ(SearchRefusal(Request(0, {}, 2, {}, "")), "No folders are specified");
    EXPECT_EQ(SearchRefusal(Request(0, {}, 1, {"*\\temp"}, "")), "No search mask is specified");
}

TEST(SearchValidationTest, AMaskOfBlanksAndControlsIsRefusedAndBlanksAroundAMaskAreFine)
{
    EXPECT_EQ(SearchRefusal(Request(0, {}, 0, {}, " \t \x01 ")), "No search mask is specified");
    EXPECT_EQ(SearchRefusal(Request(0, {}, 0, {}, "  *.doc  ")), "");
    EXPECT_EQ(TrimBlanksAndControls("\t *.doc \n"), "*.doc");
    EXPECT_EQ(TrimBlanksAndControls(" a b "), "a b");
}

} // namespace
