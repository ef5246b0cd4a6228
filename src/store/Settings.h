#pragma once

#include "model/SearchModes.h"

#include <QString>
#include <QStringList>
#include <cstdint>

class TAccountList;
class TPasswordKeeper;
class TIniFile;
class TWindowGeometry;
struct TIPDiscoverySettings;

// Ranges of the document limits ("TextSearch" DocumentSizeLimit in MB, DocumentTimeLimit in
// seconds); a stored value outside them is clamped when read.
inline constexpr int32_t kMaxDocumentSizeLimit = 2047;
inline constexpr int32_t kMaxDocumentTimeLimit = 3600;

// The user's settings, one field per INI key and named after it. The program's
// instance (in TProgramSettings) belongs to the main thread; a search works on the
// copy MakeThreadConfig takes when it starts. The "IPDiscovery" values and the
// accounts are kept beside it in TProgramSettings. The initial values are the defaults, except the dates (the
// moment the settings are read) and InitialDir (the program's folder), which ReadSettings sets. The modes are
// read through ModeFromStored, so a stored integer outside a mode's values arrives as its Unknown, and is
// written back as -1.
struct TSettings {
    // "Filters"
    bool FilterByDate = false;
    bool FilterBySize = false;
    double DateFrom = 0; // date-time (days since 1899-12-30)
    double DateTo = 0;
    TSizeUnit SizeMultipleFrom = TSizeUnit::Bytes;   // unit of SizeFrom
    TSizeUnit SizeMultipleTo = TSizeUnit::Kilobytes; // unit of SizeTo
    int32_t SizeFrom = 0;
    int32_t SizeTo = 0;
    // "TextSearch"
    TTextLogic Logic = TTextLogic::Any;
    TTextEncoding Encoding = TTextEncoding::Ansi;
    bool SearchInsideDocuments = false; // extract the text of recognised documents first
    int32_t DocumentSizeLimit = 64;     // MB: larger documents are searched as bytes
    int32_t DocumentTimeLimit = 30;     // seconds of extraction per document
    // "Misc"
    int32_t PingTimeOutMs = 500; // kept from file to file; nothing reads it
    // "View"
    uint8_t FileNameDisplayFormat = 1; // 8 bits: a larger stored value keeps its low byte
    int32_t DateFormat = 0;
    bool CsvHeader = false; // CSV reports: a header row and ISO 8601 dates
    // "Misc"
    TSearchType SearchMethod = TSearchType::EntireNetwork;
    THiddenShareMode HiddenResSearchMethod = THiddenShareMode::CommonOnly;
    TFolderListMode FoldersSearchMethod = TFolderListMode::AllFolders;
    int32_t MaxThreads = 10;
    bool DrawGrid = true;
    QString InitialDir;
    bool MinToTray = false;
    bool EnableTextSearch = false;
    bool CompleteMessage = true;
    bool AutoUnmount = false;
    TFtpMode FtpSearchMode = TFtpMode::SharesOnly;
    bool FtpVerifyCertificates = false; // FTP over TLS: check the server's certificate
    // "Lists"
    QStringList ResList;
    QStringList FolderList;
    QStringList History;     // items of the name-mask box, newest first
    QStringList TextHistory; // items of the content box

    friend bool operator==(const TSettings&, const TSettings&) = default;
};

// Reads a settings file or profile: the accounts first (appended to the list), then
// every setting in its order, each key's stored value or its default, then the main
// window's geometry. The caller applies the view settings afterwards. Passwords kept
// in the keyring come through keeper (LoadAccounts).
void ReadSettings(const TIniFile& ini, TWindowGeometry& window, TSettings& settings, TAccountList& accounts,
                  TIPDiscoverySettings& discovery, TPasswordKeeper* keeper = nullptr);

// Writes every setting in the order a new file shows them, accounts first. Keys the
// file holds and that are not written keep their values. Does not save the file.
// Returns the keyring entries to remove once the file is saved (SaveAccounts).
QStringList WriteSettings(TIniFile& ini, const TWindowGeometry& window, const TSettings& settings,
                          const TAccountList& accounts, const TIPDiscoverySettings& discovery,
                          TPasswordKeeper* keeper = nullptr);

// A list as one value: items separated by ",", an item holding a blank, a control
// character, "~" or "," enclosed in "~" with inner "~" doubled. Reading also splits
// at unquoted blanks; a missing key gives an empty list.
QStringList ReadListText(const TIniFile& ini, const QString& section, const QString& key);
void WriteListText(TIniFile& ini, const QString& section, const QString& key, const QStringList& items);
