#include "store/Settings.h"

#include "accounts/AccountList.h"
#include "accounts/AccountStorage.h"
#include "files/IniFile.h"
#include "model/DateTime.h"
#include "model/DelimitedText.h"
#include "model/DiscoverySettings.h"
#include "platform/ProgramPath.h"
#include "store/WindowGeometry.h"

#include <algorithm>

namespace {

// Exact text: the section names of the settings file users keep and copy between
// machines; files written by every earlier version must still load.
const QString kDiscovery = QStringLiteral("IPDiscovery");
const QString kFilters = QStringLiteral("Filters");
const QString kTextSearch = QStringLiteral("TextSearch");
const QString kMisc = QStringLiteral("Misc");
const QString kView = QStringLiteral("View");
const QString kLists = QStringLiteral("Lists");

// Exact text: lists in the settings file are stored comma-separated with "~" quotes;
// files edited by hand and written by earlier versions use these characters.
constexpr QChar kListDelimiter = u',';
constexpr QChar kListQuote = u'~';

// The two 8-bit settings keep the low byte of what is stored: 263 reads as 7.
uint8_t LowByte(int32_t value)
{
    return static_cast<uint8_t>(value & 0xFF);
}

template <typename Mode>
Mode ReadMode(const TIniFile& ini, const QString& section, const QString& key, Mode defaultMode)
{
    return ModeFromStored<Mode>(ini.ReadInteger(section, key, StoredModeValue(defaultMode)));
}

template <typename Mode> void WriteMode(TIniFile& ini, const QString& section, const QString& key, Mode mode)
{
    ini.WriteInteger(section, key, StoredModeValue(mode));
}

} // namespace

QStringList ReadListText(const TIniFile& ini, const QString& section, const QString& key)
{
    return SplitDelimitedText(ini.ReadString(section, key, QString()), kListDelimiter, kListQuote);
}

void WriteListText(TIniFile& ini, const QString& section, const QString& key, const QStringList& items)
{
    ini.WriteString(section, key, JoinDelimitedText(items, kListDelimiter, kListQuote));
}

void ReadSettings(const TIniFile& ini, TWindowGeometry& window, TSettings& s, TAccountList& accounts,
                  TIPDiscoverySettings& discovery, TPasswordKeeper* keeper)
{
    LoadAccounts(ini, accounts, keeper);

    // Exact text: the keys below are those of users' settings files and of files
    // earlier versions wrote; the store tests read and write them by name.
    discovery.TimeOut = ini.ReadInteger(kDiscovery, QStringLiteral("TimeOut"), 1000);
    // A file without these keys is new: it gets the sweep that runs all methods side by
    // side with many probes in flight. A file that has them keeps its values.
    discovery.MaxThreads =
        ini.ReadInteger(kDiscovery, QStringLiteral("MaxThreads"), TDiscoveryOptions::kDefaultMaxProbes);
    discovery.ResolveAddress = ini.ReadBool(kDiscovery, QStringLiteral("ResolveAddress"), false);
    discovery.Method =
        LowByte(ini.ReadInteger(kDiscovery, QStringLiteral("Method"), TDiscoveryMethods::All().Bits()));
    discovery.DiscoveryWindow =
        ini.ReadInteger(kDiscovery, QStringLiteral("DiscoveryWindow"), TDiscoveryOptions::kDefaultWindow);

    const double now = NowDateTime();
    s.FilterByDate = ini.ReadBool(kFilters, QStringLiteral("FilterByDate"), false);
    s.FilterBySize = ini.ReadBool(kFilters, QStringLiteral("FilterBySize"), false);
    s.DateFrom = ini.ReadDate(kFilters, QStringLiteral("DateFrom"), now);
    s.DateTo = ini.ReadDate(kFilters, QStringLiteral("DateTo"), now);
    s.SizeMultipleFrom = ReadMode(ini, kFilters, QStringLiteral("SizeMultipleFrom"), TSizeUnit::Bytes);
    s.SizeMultipleTo = ReadMode(ini, kFilters, QStringLiteral("SizeMultipleTo"), TSizeUnit::Kilobytes);
    s.Logic = ReadMode(ini, kTextSearch, QStringLiteral("Logic"), TTextLogic::Any);
    s.Encoding = ReadMode(ini, kTextSearch, QStringLiteral("Encoding"), TTextEncoding::Ansi);
    s.SearchInsideDocuments = ini.ReadBool(kTextSearch, QStringLiteral("SearchInsideDocuments"), false);
    s.DocumentSizeLimit = std::clamp(ini.ReadInteger(kTextSearch, QStringLiteral("DocumentSizeLimit"), 64), 1,
                                     kMaxDocumentSizeLimit);
    s.DocumentTimeLimit = std::clamp(ini.ReadInteger(kTextSearch, QStringLiteral("DocumentTimeLimit"), 30), 1,
                                     kMaxDocumentTimeLimit);
    s.SizeFrom = ini.ReadInteger(kFilters, QStringLiteral("SizeFrom"), 0);
    s.SizeTo = ini.ReadInteger(kFilters, QStringLiteral("SizeTo"), 0);

    s.PingTimeOutMs = ini.ReadInteger(kMisc, QStringLiteral("PingTimeOutMs"), 500);
    s.FileNameDisplayFormat = LowByte(ini.ReadInteger(kView, QStringLiteral("FileNameDisplayFormat"), 1));
    s.DateFormat = ini.ReadInteger(kView, QStringLiteral("DateFormat"), 0);
    s.CsvHeader = ini.ReadBool(kView, QStringLiteral("CsvHeader"), false);

    s.SearchMethod = ReadMode(ini, kMisc, QStringLiteral("SearchMethod"), TSearchType::EntireNetwork);
    s.HiddenResSearchMethod =
        ReadMode(ini, kMisc, QStringLiteral("HiddenResSearchMethod"), THiddenShareMode::CommonOnly);
    s.FoldersSearchMethod =
        ReadMode(ini, kMisc, QStringLiteral("FoldersSearchMethod"), TFolderListMode::AllFolders);
    s.MaxThreads = ini.ReadInteger(kMisc, QStringLiteral("MaxThreads"), 10);
    s.DrawGrid = ini.ReadBool(kMisc, QStringLiteral("DrawGrid"), true);
    s.InitialDir = ini.ReadString(kMisc, QStringLiteral("InitialDir"), ProgramFolder());
    s.MinToTray = ini.ReadBool(kMisc, QStringLiteral("MinToTray"), false);
    s.EnableTextSearch = ini.ReadBool(kMisc, QStringLiteral("EnableTextSearch"), false);
    s.CompleteMessage = ini.ReadBool(kMisc, QStringLiteral("CompleteMessage"), true);
    s.AutoUnmount = ini.ReadBool(kMisc, QStringLiteral("AutoUnmount"), false);
    s.FtpSearchMode = ReadMode(ini, kMisc, QStringLiteral("FtpSearchMode"), TFtpMode::SharesOnly);
    s.FtpVerifyCertificates = ini.ReadBool(kMisc, QStringLiteral("FtpVerifyCertificates"), false);

    s.ResList = ReadListText(ini, kLists, QStringLiteral("ResList"));
    s.FolderList = ReadListText(ini, kLists, QStringLiteral("FolderList"));
    s.History = ReadListText(ini, kLists, QStringLiteral("History"));
    s.TextHistory = ReadListText(ini, kLists, QStringLiteral("TextHistory"));

    ReadWindowGeometry(ini, window);
}

QStringList WriteSettings(TIniFile& ini, const TWindowGeometry& window, const TSettings& s,
                          const TAccountList& accounts, const TIPDiscoverySettings& discovery,
                          TPasswordKeeper* keeper)
{
    QStringList goneKeys = SaveAccounts(ini, accounts, keeper);

    // Exact text: the same keys as ReadSettings, written back so that earlier versions
    // and the next start read the file unchanged.
    ini.WriteInteger(kDiscovery, QStringLiteral("TimeOut"), discovery.TimeOut);
    ini.WriteInteger(kDiscovery, QStringLiteral("MaxThreads"), discovery.MaxThreads);
    ini.WriteBool(kDiscovery, QStringLiteral("ResolveAddress"), discovery.ResolveAddress);
    ini.WriteInteger(kDiscovery, QStringLiteral("Method"), discovery.Method);
    ini.WriteInteger(kDiscovery, QStringLiteral("DiscoveryWindow"), discovery.DiscoveryWindow);

    ini.WriteBool(kFilters, QStringLiteral("FilterByDate"), s.FilterByDate);
    ini.WriteBool(kFilters, QStringLiteral("FilterBySize"), s.FilterBySize);
    ini.WriteDate(kFilters, QStringLiteral("DateFrom"), s.DateFrom);
    ini.WriteDate(kFilters, QStringLiteral("DateTo"), s.DateTo);
    WriteMode(ini, kFilters, QStringLiteral("SizeMultipleFrom"), s.SizeMultipleFrom);
    WriteMode(ini, kFilters, QStringLiteral("SizeMultipleTo"), s.SizeMultipleTo);
    ini.WriteInteger(kFilters, QStringLiteral("SizeFrom"), s.SizeFrom);
    ini.WriteInteger(kFilters, QStringLiteral("SizeTo"), s.SizeTo);

    WriteMode(ini, kTextSearch, QStringLiteral("Logic"), s.Logic);
    WriteMode(ini, kTextSearch, QStringLiteral("Encoding"), s.Encoding);
    ini.WriteBool(kTextSearch, QStringLiteral("SearchInsideDocuments"), s.SearchInsideDocuments);
    ini.WriteInteger(kTextSearch, QStringLiteral("DocumentSizeLimit"), s.DocumentSizeLimit);
    ini.WriteInteger(kTextSearch, QStringLiteral("DocumentTimeLimit"), s.DocumentTimeLimit);

    ini.WriteInteger(kMisc, QStringLiteral("PingTimeOutMs"), s.PingTimeOutMs);

    ini.WriteInteger(kView, QStringLiteral("FileNameDisplayFormat"), s.FileNameDisplayFormat);
    ini.WriteInteger(kView, QStringLiteral("DateFormat"), s.DateFormat);
    ini.WriteBool(kView, QStringLiteral("CsvHeader"), s.CsvHeader);

    ini.WriteBool(kMisc, QStringLiteral("DrawGrid"), s.DrawGrid);
    WriteMode(ini, kMisc, QStringLiteral("SearchMethod"), s.SearchMethod);
    ini.WriteBool(kMisc, QStringLiteral("MinToTray"), s.MinToTray);
    WriteMode(ini, kMisc, QStringLiteral("HiddenResSearchMethod"), s.HiddenResSearchMethod);
    WriteMode(ini, kMisc, QStringLiteral("FoldersSearchMethod"), s.FoldersSearchMethod);
    ini.WriteInteger(kMisc, QStringLiteral("MaxThreads"), s.MaxThreads);
    ini.WriteBool(kMisc, QStringLiteral("EnableTextSearch"), s.EnableTextSearch);
    ini.WriteBool(kMisc, QStringLiteral("CompleteMessage"), s.CompleteMessage);
    ini.WriteBool(kMisc, QStringLiteral("AutoUnmount"), s.AutoUnmount);
    ini.WriteString(kMisc, QStringLiteral("InitialDir"), s.InitialDir);
    WriteMode(ini, kMisc, QStringLiteral("FtpSearchMode"), s.FtpSearchMode);
    ini.WriteBool(kMisc, QStringLiteral("FtpVerifyCertificates"), s.FtpVerifyCertificates);

    WriteListText(ini, kLists, QStringLiteral("ResList"), s.ResList);
    WriteListText(ini, kLists, QStringLiteral("FolderList"), s.FolderList);
    WriteListText(ini, kLists, QStringLiteral("History"), s.History);
    WriteListText(ini, kLists, QStringLiteral("TextHistory"), s.TextHistory);

    WriteWindowGeometry(ini, window);
    return goneKeys;
}
