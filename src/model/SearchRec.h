#pragma once

#include <QString>
#include <cstdint>

// One entry of a folder listing as the walk sees it.
struct TSearchRec {
    QString Name;
    int32_t Attr = 0; // Windows attribute bits
    uint32_t SizeHigh = 0;
    uint32_t SizeLow = 0;
    int32_t Time = 0; // last-write time, local, packed MS-DOS form
};

inline int64_t SearchRecSize(const TSearchRec& rec)
{
    return static_cast<int64_t>((static_cast<uint64_t>(rec.SizeHigh) << 32) | rec.SizeLow);
}

inline bool SearchRecIsFolder(const TSearchRec& rec)
{
    return (rec.Attr & 0x10) != 0;
}
