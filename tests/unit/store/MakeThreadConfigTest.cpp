#include "model/DateTime.h"
#include "store/MakeThreadConfig.h"
#include "store/Settings.h"

#include <gtest/gtest.h>

namespace {

TEST(MakeThreadConfigTest, CopiesTheSettingsAndTheBoxTextsAsTheyStand)
{
    TSettings s;
    s.MaxThreads = 4;
    s.Logic = 0;
    s.Encoding = 2;
    s.SearchMethod = 2;
    s.HiddenResSearchMethod = 1;
    s.FoldersSearchMethod = 2;
    s.FtpSearchMode = 1;
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
    EXPECT_EQ(c.Logic, 0);
    EXPECT_EQ(c.Encoding, 2);
    EXPECT_EQ(c.SearchMethod, 2);
    EXPECT_EQ(c.HiddenResSearchMethod, 1);
    EXPECT_EQ(c.FoldersSearchMethod, 2);
    EXPECT_EQ(c.FtpSearchMode, 1);
    EXPECT_TRUE(c.EnableTextSearch && c.AutoUnmount && c.FilterByDate && c.FilterBySize);
    EXPECT_EQ(c.FileMasks, "  *.doc; *.xls ");
    EXPECT_EQ(c.SearchText, " budget ");
    // 2021-03-05 00:00:00 and 2021-03-06 17:30:58 (the odd second dropped), packed.
    EXPECT_EQ(c.DateFrom, static_cast<int32_t>((41u << 25) | (3u << 21) | (5u << 16)));
    EXPECT_EQ(c.DateTo, static_cast<int32_t>((41u << 25) | (3u << 21) | (6u << 16) | (17u << 11) | (30u << 5) | 29u));
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

    s.SizeMultipleFrom = 0;
    s.SizeFrom = 4096; // 4 GiB: kept whole, the field is 64-bit
    s.SizeMultipleTo = 1;
    s.SizeTo = 3;
    c = MakeThreadConfig(s, "*", "");
    EXPECT_EQ(c.SizeFrom, 4294967296LL);
    EXPECT_EQ(c.SizeTo, 3072);

    s.SizeMultipleFrom = 3;
    s.SizeMultipleTo = -1;
    c = MakeThreadConfig(s, "*", "");
    EXPECT_EQ(c.SizeFrom, 0);
    EXPECT_EQ(c.SizeTo, 0);
}

} // namespace
