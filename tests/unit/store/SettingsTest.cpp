#include "store/Settings.h"

#include "accounts/AccountList.h"
#include "files/IniFile.h"
#include "model/DateTime.h"
#include "model/DiscoverySettings.h"
#include "platform/ProgramPath.h"
#include "store/WindowGeometry.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {

// Everything one ReadSettings/WriteSettings pass touches, held locally.
struct SettingsState {
    TSettings settings;
    TAccountList accounts;
    TIPDiscoverySettings discovery;
    THeadlessWindowGeometry window{QSize(1920, 1080), TWindowBounds{100, 50, 800, 600}};

    void Read(const TIniFile& ini) { ReadSettings(ini, window, settings, accounts, discovery); }
    void Write(TIniFile& ini) const { WriteSettings(ini, window, settings, accounts, discovery); }
};

TSettings NonDefaultSettings()
{
    TSettings s;
    s.FilterByDate = true;
    s.FilterBySize = true;
    s.DateFrom = EncodeDateTime({2020, 1, 31});
    s.DateTo = EncodeDateTime({2024, 12, 1});
    s.SizeMultipleFrom = TSizeUnit::Megabytes;
    s.SizeMultipleTo = TSizeUnit::Bytes;
    s.SizeFrom = 5;
    s.SizeTo = -1;
    s.Logic = TTextLogic::None;
    s.Encoding = TTextEncoding::Utf16Le;
    s.PingTimeOutMs = 750;
    s.FileNameDisplayFormat = 2;
    s.DateFormat = 3;
    s.CsvHeader = true;
    s.SearchMethod = TSearchType::IpAddressRange;
    s.HiddenResSearchMethod = THiddenShareMode::CommonAndHidden;
    s.FoldersSearchMethod = TFolderListMode::OnlySpecified;
    s.MaxThreads = 255;
    s.DrawGrid = false;
    s.InitialDir = " /home/anna/My Files ";
    s.MinToTray = true;
    s.EnableTextSearch = true;
    s.CompleteMessage = false;
    s.AutoUnmount = true;
    s.FtpSearchMode = TFtpMode::SharesAndFtp;
    s.FtpVerifyCertificates = true;
    s.ResList = {"192.168.1.1-192.168.1.20", "10.0.0.5"};
    s.FolderList = {"\\\\*\\Docs*", "a~b", "with blank", ""};
    s.History = {"*.doc, *.xls", "*.txt"};
    s.TextHistory = {""};
    return s;
}

TEST(SettingsTest, AFreshStartGivesTheDefaults)
{
    TempDir dir;
    SettingsState state;
    state.settings = NonDefaultSettings();
    const double before = NowDateTime();
    state.Read(TIniFile(dir.file("none.ini")));
    const double after = NowDateTime();

    const TSettings& s = state.settings;
    EXPECT_EQ(s.SizeMultipleFrom, TSizeUnit::Bytes);   // "B"
    EXPECT_EQ(s.SizeMultipleTo, TSizeUnit::Kilobytes); // "KB"
    EXPECT_EQ(s.Logic, TTextLogic::Any);               // "OR"
    EXPECT_EQ(s.Encoding, TTextEncoding::Ansi);        // "ANSI"
    EXPECT_EQ(s.FileNameDisplayFormat, 1);
    EXPECT_TRUE(s.DrawGrid);
    EXPECT_TRUE(s.CompleteMessage);
    EXPECT_EQ(s.MaxThreads, 10);
    EXPECT_EQ(s.PingTimeOutMs, 500);
    EXPECT_FALSE(s.FilterByDate || s.FilterBySize || s.MinToTray || s.EnableTextSearch || s.AutoUnmount);
    EXPECT_EQ(s.SearchMethod, TSearchType::EntireNetwork);
    EXPECT_EQ(s.HiddenResSearchMethod, THiddenShareMode::CommonOnly);
    EXPECT_EQ(s.FoldersSearchMethod, TFolderListMode::AllFolders);
    EXPECT_EQ(s.FtpSearchMode, TFtpMode::SharesOnly);
    EXPECT_FALSE(s.FtpVerifyCertificates); // encrypted where offered, not verified
    EXPECT_EQ(s.DateFormat, 0);
    EXPECT_FALSE(s.CsvHeader); // today's CSV unless the user asks
    EXPECT_GE(s.DateFrom, before);
    EXPECT_LE(s.DateFrom, after);
    EXPECT_EQ(s.DateTo, s.DateFrom);
    EXPECT_EQ(s.InitialDir, ProgramFolder());
    EXPECT_FALSE(s.InitialDir.isEmpty());
    EXPECT_TRUE(s.ResList.isEmpty() && s.FolderList.isEmpty() && s.History.isEmpty() &&
                s.TextHistory.isEmpty());

    EXPECT_EQ(state.discovery.TimeOut, 1000);
    EXPECT_EQ(state.discovery.MaxThreads, 1024);
    EXPECT_FALSE(state.discovery.ResolveAddress);
    EXPECT_EQ(state.discovery.Method, 15); // all four methods, the TCP probe too
    EXPECT_EQ(state.discovery.DiscoveryWindow, 1500);
    EXPECT_EQ(state.accounts.Count(), 0);
}

TEST(SettingsTest, ANewFileHasTheWritingOrder)
{
    TempDir dir;
    SettingsState state;
    state.settings = NonDefaultSettings();
    state.accounts.Add({"PC1", "anna", "abc"});
    TIniFile ini(dir.file("new.ini"));
    state.Write(ini);
    EXPECT_EQ(
        QString::fromUtf8(ini.ToBytes()),
        "[Accounts]\r\nCount=1\r\nComputer-0=PC1\r\nUsername-0=anna\r\nPassword-0=YWJj\r\n\r\n"
        "[IPDiscovery]\r\nTimeOut=1000\r\nMaxThreads=1024\r\nResolveAddress=0\r\nMethod=15\r\n"
        "DiscoveryWindow=1500\r\n\r\n"
        "[Filters]\r\nFilterByDate=1\r\nFilterBySize=1\r\nDateFrom=2020-01-31\r\nDateTo=2024-12-01\r\n"
        "SizeMultipleFrom=0\r\nSizeMultipleTo=2\r\nSizeFrom=5\r\nSizeTo=-1\r\n\r\n"
        "[TextSearch]\r\nLogic=2\r\nEncoding=1\r\nSearchInsideDocuments=0\r\nDocumentSizeLimit=64\r\n"
        "DocumentTimeLimit=30\r\n\r\n"
        "[Misc]\r\nPingTimeOutMs=750\r\nDrawGrid=0\r\nSearchMethod=3\r\nMinToTray=1\r\n"
        "HiddenResSearchMethod=2\r\nFoldersSearchMethod=1\r\nMaxThreads=255\r\nEnableTextSearch=1\r\n"
        "CompleteMessage=0\r\nAutoUnmount=1\r\nInitialDir=\" /home/anna/My Files "
        "\"\r\nFtpSearchMode=1\r\nFtpVerifyCertificates=1\r\n\r\n"
        "[View]\r\nFileNameDisplayFormat=2\r\nDateFormat=3\r\nCsvHeader=1\r\nMaximized=0\r\nLeft=100\r\nTop="
        "50\r\n"
        "Width=800\r\nHeight=600\r\n\r\n"
        "[Lists]\r\nResList=192.168.1.1-192.168.1.20,10.0.0.5\r\n"
        "FolderList=\\\\*\\Docs*,~a~~b~,~with blank~,\r\nHistory=~*.doc, *.xls~,*.txt\r\nTextHistory=~~\r\n");
}

TEST(SettingsTest, AProfileWrittenAndReadBackGivesTheSameSettings)
{
    TempDir dir;
    const QString path = dir.file("profile.ini");
    SettingsState saved;
    saved.settings = NonDefaultSettings();
    saved.settings.History.append(QString(3000, u'h') + " tail");
    saved.accounts.Add({"PC*", "bob", QString::fromUtf8("p\xC3\xA4ss")});
    saved.accounts.Add({"", "", ""});
    saved.discovery.TimeOut = 250;
    saved.discovery.MaxThreads = 64;
    saved.discovery.ResolveAddress = true;
    saved.discovery.Method = 5;
    saved.window.SetBounds({-20, 30, 1024, 700});
    {
        TIniFile ini(path);
        saved.Write(ini);
        ini.UpdateFile();
    }
    SettingsState loaded;
    loaded.Read(TIniFile(path));
    EXPECT_EQ(loaded.settings, saved.settings);
    EXPECT_EQ(loaded.accounts.Snapshot(), saved.accounts.Snapshot());
    EXPECT_EQ(loaded.discovery.TimeOut, 250);
    EXPECT_EQ(loaded.discovery.MaxThreads, 64);
    EXPECT_TRUE(loaded.discovery.ResolveAddress);
    EXPECT_EQ(loaded.discovery.Method, 5);
    EXPECT_EQ(loaded.window.Bounds(), TWindowBounds({0, 30, 1024, 700})); // kept on the screen
}

TEST(SettingsTest, DatesReadBackAtMidnightAndUnparsableDatesAsNow)
{
    TempDir dir;
    SettingsState state;
    state.settings.DateFrom = EncodeDateTime({2022, 6, 15, 13, 14, 15});
    state.settings.DateTo = EncodeDateTime({2022, 6, 16, 23, 59, 59});
    TIniFile ini(dir.file("d.ini"));
    state.Write(ini);
    state.Read(ini);
    EXPECT_EQ(state.settings.DateFrom, EncodeDateTime({2022, 6, 15}));
    EXPECT_EQ(state.settings.DateTo, EncodeDateTime({2022, 6, 16}));

    ini.WriteString("Filters", "DateFrom", "15/06/2022");
    const double before = NowDateTime();
    state.Read(ini);
    EXPECT_GE(state.settings.DateFrom, before);
    EXPECT_LE(state.settings.DateFrom, NowDateTime());
}

TEST(SettingsTest, TheFtpCertificateCheckIsOffInOlderFilesAndReadWhereSet)
{
    TempDir dir;
    SettingsState state;
    state.settings.FtpVerifyCertificates = true;
    state.Read(TIniFile(dir.write("old.ini", "[Misc]\nFtpSearchMode=2\nMaxThreads=3\n")));
    EXPECT_FALSE(state.settings.FtpVerifyCertificates);
    EXPECT_EQ(state.settings.FtpSearchMode, TFtpMode::FtpOnly);
    state.Read(TIniFile(dir.write("new.ini", "[Misc]\nFtpSearchMode=2\nFtpVerifyCertificates=1\n")));
    EXPECT_TRUE(state.settings.FtpVerifyCertificates);
}

TEST(SettingsTest, AnExistingFileKeepsItsMethodsAndLimit)
{
    // Written before the TCP probe and the probe count: 7 still means the three
    // old methods, and 10 stays the limit.
    TempDir dir;
    SettingsState state;
    state.Read(TIniFile(dir.write("old.ini", "[IPDiscovery]\nTimeOut=800\nMaxThreads=10\nMethod=7\n")));
    EXPECT_EQ(state.discovery.Method, 7);
    EXPECT_FALSE(TDiscoveryMethods::FromBits(state.discovery.Method).Contains(TDiscoveryMethod::TCP));
    EXPECT_EQ(state.discovery.MaxThreads, 10);
    EXPECT_EQ(state.discovery.DiscoveryWindow, 1500);
}

TEST(SettingsTest, EightBitSettingsKeepTheLowByte)
{
    TempDir dir;
    SettingsState state;
    state.Read(
        TIniFile(dir.write("m.ini", "[IPDiscovery]\nMethod=263\n[View]\nFileNameDisplayFormat=0x102\n")));
    EXPECT_EQ(state.discovery.Method, 7);
    EXPECT_EQ(state.settings.FileNameDisplayFormat, 2);
}

TEST(SettingsTest, ListTextQuotingAndSplitting)
{
    TempDir dir;
    TIniFile ini(dir.write("l.ini", "[Lists]\nResList=PC1 PC2\nFolderList=~*.doc, *.xls~\n"
                                    "History=~a~~b~ , c,\nTextHistory=~unclosed, x\n"));
    EXPECT_EQ(ReadListText(ini, "Lists", "ResList"), QStringList({"PC1", "PC2"}));
    EXPECT_EQ(ReadListText(ini, "Lists", "FolderList"), QStringList({"*.doc, *.xls"}));
    EXPECT_EQ(ReadListText(ini, "Lists", "History"), QStringList({"a~b", "c", ""}));
    EXPECT_EQ(ReadListText(ini, "Lists", "TextHistory"), QStringList({"unclosed, x"}));
    EXPECT_EQ(ReadListText(ini, "Lists", "Missing"), QStringList());

    WriteListText(ini, "Lists", "ResList", {});
    EXPECT_EQ(ini.ReadString("Lists", "ResList", "x"), "");
    WriteListText(ini, "Lists", "ResList", {""});
    EXPECT_EQ(ini.ReadString("Lists", "ResList", "x"), "~~");
    EXPECT_EQ(ReadListText(ini, "Lists", "ResList"), QStringList({""}));
    WriteListText(ini, "Lists", "ResList", {"tab\there", QString("ctl") + QChar(1), "x,y", "plain", ""});
    EXPECT_EQ(ini.ReadString("Lists", "ResList", ""),
              QString("~tab\there~,~ctl") + QChar(1) + "~,~x,y~,plain,");
}

TEST(SettingsTest, ListsLongerThanTheOldValueLimitRoundTrip)
{
    TempDir dir;
    const QString path = dir.file("long.ini");
    QStringList computers;
    for (int i = 0; i < 400; ++i)
        computers.append(QString("\\\\WORKSTATION-%1").arg(i, 4, 10, QChar(u'0')));
    computers.append("last one, quoted");
    {
        TIniFile ini(path);
        WriteListText(ini, "Lists", "ResList", computers);
        ini.UpdateFile();
    }
    const TIniFile ini(path);
    EXPECT_GT(ini.ReadString("Lists", "ResList", "").size(), 2047);
    EXPECT_EQ(ReadListText(ini, "Lists", "ResList"), computers);
}

TEST(SettingsTest, AProfileWithoutListsEmptiesAllFour)
{
    TempDir dir;
    SettingsState state;
    state.settings = NonDefaultSettings();
    state.Read(TIniFile(dir.write("p.ini", "[Misc]\nMaxThreads=3\n")));
    EXPECT_TRUE(state.settings.ResList.isEmpty());
    EXPECT_TRUE(state.settings.FolderList.isEmpty());
    EXPECT_TRUE(state.settings.History.isEmpty());
    EXPECT_TRUE(state.settings.TextHistory.isEmpty());
    EXPECT_EQ(state.settings.MaxThreads, 3);
}

TEST(SettingsTest, SavingWhileMaximisedLeavesOlderPositionKeys)
{
    TempDir dir;
    TIniFile ini(dir.write("p.ini", "[View]\nMaximized=0\nLeft=11\nTop=22\nWidth=333\nHeight=444\n"));
    SettingsState state;
    state.window.Maximize();
    state.Write(ini);
    EXPECT_EQ(ini.ReadString("View", "Maximized", ""), "1");
    EXPECT_EQ(ini.ReadInteger("View", "Left", 0), 11);
    EXPECT_EQ(ini.ReadInteger("View", "Height", 0), 444);

    SettingsState restored;
    restored.Read(ini);
    EXPECT_TRUE(restored.window.IsMaximized());
    EXPECT_EQ(restored.window.Bounds(), TWindowBounds({100, 50, 800, 600})); // position keys not read
}

} // namespace
