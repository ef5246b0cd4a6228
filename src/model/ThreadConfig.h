#pragma once

#include <QString>

#include <cstdint>

// Everything the engine needs to know about one search, captured when it starts
// and copied by value into every engine thread. Field names follow the settings keys.
struct TThreadConfig {
    int32_t MaxThreads = 10;           // workers running at once
    int32_t Logic = 1;                 // content terms: 0 all, 1 any, 2 none
    int32_t Encoding = 0;              // content bytes: 0 ANSI, 1 UTF-16LE, 2 UTF-8
    int32_t SearchMethod = 0;          // 0 network, 1 all but listed, 2 listed, 3 IP ranges
    int32_t HiddenResSearchMethod = 0; // 0 common shares, 1 hidden only, 2 both
    int32_t FoldersSearchMethod = 0;   // 0 all folders, 1 only listed, 2 all but listed
    int32_t FtpSearchMode = 0;         // 0 shares, 1 shares and FTP, 2 FTP only
    bool EnableTextSearch = false;
    QString FileMasks;                 // "Search files" box, untrimmed, ';'-separated
    QString SearchText;                // "With content" box, untrimmed
    bool AutoUnmount = false;
    bool FilterByDate = false;
    bool FilterBySize = false;
    int32_t DateFrom = 0;              // packed MS-DOS date/time, local
    int64_t SizeFrom = 0;              // bytes (64-bit, so lower bounds of 2 GiB and more survive)
    int32_t DateTo = 0;                // packed MS-DOS date/time, local
    int64_t SizeTo = 0;                // bytes
    QString ResList;                   // scope list as comma text
    QString FolderList;                // folder masks as comma text
};

// Size unit index of the filters: 0 MB, 1 KB, 2 bytes; any other index gives 0.
// The stored number is taken as unsigned 32-bit and multiplied in 64 bits.
int64_t SizeInBytes(int32_t storedValue, int32_t unitIndex);
