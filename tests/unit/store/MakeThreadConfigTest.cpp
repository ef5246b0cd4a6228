#include "store/MakeThreadConfig.h"

#include "model/DateTime.h"
#include "store/Settings.h"

#include <gtest/gtest.h>

namespace {

TEST(MakeThreadConfigTest, CopiesTheSettingsAndTheBoxTextsAsTheyStand)
{
    TSettings s;
    s.MaxThreads = 4;
    s.Logic = TTextLogic::All;
    s.Encoding = TTextEncoding::Utf8;
    s.SearchMethod = TSearchType::SpecifiedComputers;
    s.HiddenResSearchMethod = THiddenShareMode::HiddenOnly;
    s.FoldersSearchMethod = TFolderListMode::AllExceptSpecified;
    s.FtpSearchMode = TFtpMode::SharesAndFtp;
    s.FtpVerifyCertificates = true;
    s.EnableTextSearch = true;
    s.AutoUnmount = true;
    s.FilterByDate = true;
    s.FilterBySize = true;
    s.DateFrom = EncodeDateTime({2021, 3, 5});
    s.DateTo = EncodeDateTime({2021, 3, 6, 17, 30, 59});
    s.ResList = {"\\\\PC1", "PC 2", "a,b"};
    s.FolderList = {"*\\Docs", "say \"hi\""};

    const TThreadConfig c = MakeThreadConfig(s, "  *.doc; *.xls ", " budget ");
    EXPECT_EQ(c.MaxThreads, 4);
    EXPECT_EQ(c.Logic, TTextLogic::All);
    EXPECT_EQ(c.Encoding, TTextEncoding::Utf8);
    EXPECT_EQ(c.SearchMethod, TSearchType::SpecifiedComputers);
    EXPECT_EQ(c.HiddenResSearchMethod, THiddenShareMode::HiddenOnly);
    EXPECT_EQ(c.FoldersSearchMethod, TFolderListMode::AllExceptSpecified);
    EXPECT_EQ(c.FtpSearchMode, TFtpMode::SharesAndFtp);
    EXPECT_TRUE(c.FtpVerifyCertificates);
    EXPECT_TRUE(c.EnableTextSearch && c.AutoUnmount && c.FilterByDate && c.FilterBySize);
    EXPECT_EQ(c.FileMasks, "  *.doc; *.xls ");
    EXPECT_EQ(c.SearchText, " budget ");
    // 2021-03-05 00:00:00 and 2021-03-06 17:30:58 (the odd second dropped), packed.
    EXPECT_EQ(c.DateFrom, static_cast<int32_t>((41u << 25) | (3u << 21) | (5u << 16)));
    EXPECT_EQ(c.DateTo,
              static_cast<int32_t>((41u << 25) | (3u << 21) | (6u << 16) | (17u << 11) | (30u << 5) | 29u));
    EXPECT_EQ(c.ResList, "\\\\PC1,\"PC 2\",\"a,b\"");
    EXPECT_EQ(c.FolderList, "*\\Docs,\"say \"\"hi\"\"\"");
}

TEST(MakeThreadConfigTest, SizesBecomeBytesThroughTheirUnits)
{
    TSettings s; // default units: from "B", to "KB"
    s.SizeFrom = 100;
    s.SizeTo = 0;
    TThreadConfig c = MakeThreadConfig(s, "*", "");
    EXPECT_EQ(c.SizeFrom, 100);
    EXPECT_EQ(c.SizeTo, 0); // the default upper bound admits only empty files

    s.SizeMultipleFrom = TSizeUnit::Megabytes;
    s.SizeFrom = 4096; // 4 GiB: kept whole, the field is 64-bit
    s.SizeMultipleTo = TSizeUnit::Kilobytes;
    s.SizeTo = 3;
    c = MakeThreadConfig(s, "*", "");
    EXPECT_EQ(c.SizeFrom, 4294967296LL);
    EXPECT_EQ(c.SizeTo, 3072);

    s.SizeMultipleFrom = TSizeUnit::Unknown;
    s.SizeMultipleTo = TSizeUnit::Unknown;
    c = MakeThreadConfig(s, "*", "");
    EXPECT_EQ(c.SizeFrom, 0);
    EXPECT_EQ(c.SizeTo, 0);
}

} // namespace
