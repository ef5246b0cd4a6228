#pragma once

#include "model/SearchModes.h"

#include <QString>
#include <cstdint>

// Everything the engine needs to know about one search, captured when it starts
// and copied by value into every engine thread. Field names follow the settings keys.
struct TThreadConfig {
    int32_t MaxThreads = 10;                      // workers running at once
    TTextLogic Logic = TTextLogic::Any;           // how content terms combine
    TTextEncoding Encoding = TTextEncoding::Ansi; // how content terms become bytes
    TSearchType SearchMethod = TSearchType::EntireNetwork;
    THiddenShareMode HiddenResSearchMethod = THiddenShareMode::CommonOnly;
    TFolderListMode FoldersSearchMethod = TFolderListMode::AllFolders;
    TFtpMode FtpSearchMode = TFtpMode::SharesOnly;
    bool FtpVerifyCertificates = false; // FTP over TLS: only servers whose certificate verifies
    bool EnableTextSearch = false;
    bool SearchInsideDocuments = false;            // extract the text of recognised documents first
    int64_t DocumentSizeLimit = int64_t{64} << 20; // bytes: larger documents are searched as bytes
    int32_t DocumentTimeLimit = 30;                // seconds of extraction per document
    QString FileMasks;                             // "Search files" box, untrimmed, ';'-separated
    QString SearchText;                            // "With content" box, untrimmed
    bool AutoUnmount = false;
    bool FilterByDate = false;
    bool FilterBySize = false;
    int32_t DateFrom = 0; // packed MS-DOS date/time, local
    int64_t SizeFrom = 0; // bytes (64-bit, so lower bounds of 2 GiB and more survive)
    int32_t DateTo = 0;   // packed MS-DOS date/time, local
    int64_t SizeTo = 0;   // bytes
    QString ResList;      // scope list as comma text
    QString FolderList;   // folder masks as comma text
};

// A size bound of the filters in bytes; an Unknown unit gives 0. The stored number
// is taken as unsigned 32-bit and multiplied in 64 bits.
int64_t SizeInBytes(int32_t storedValue, TSizeUnit unit);
