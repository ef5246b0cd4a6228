#pragma once

#include <cstdint>

// The modes a search is configured with. Each enumerator's value is the integer the
// settings file stores for it (and the index of its item in the dialogs, which list
// the items in that order). A stored value outside the known ones reads as Unknown,
// which every user handles the way an unlisted integer always was handled: the
// dialogs show no item, and the engine does what its "any other value" branch says
// (mostly: nothing). Unknown is stored as -1, the value a dialog gives when no item
// is chosen.

// "SearchMethod": which computers are searched.
enum class TSearchType : int32_t {
    EntireNetwork = 0,
    ExcludedComputers = 1,  // every computer except the listed ones
    SpecifiedComputers = 2, // only the listed computers
    IpAddressRange = 3,     // computers in the listed IP address ranges
    Unknown = -1,           // searches nothing
};

// "HiddenResSearchMethod": which shares of a host are searched.
enum class THiddenShareMode : int32_t {
    CommonOnly = 0,
    HiddenOnly = 1, // shares whose name ends in "$"
    CommonAndHidden = 2,
    Unknown = -1, // no share
};

// "FoldersSearchMethod": how the folder list filters the walk.
enum class TFolderListMode : int32_t {
    AllFolders = 0,
    OnlySpecified = 1,      // only folders matching the list
    AllExceptSpecified = 2, // every folder except those matching
    Unknown = -1,           // the walk takes every folder, but a search start asks for a list
};

// "FtpSearchMode": shares, FTP servers or both.
enum class TFtpMode : int32_t {
    SharesOnly = 0,
    SharesAndFtp = 1,
    FtpOnly = 2,
    Unknown = -1, // neither
};

// "Logic": how several content terms combine.
enum class TTextLogic : int32_t {
    All = 0,      // shown as "AND"
    Any = 1,      // "OR"
    None = 2,     // "NOT"
    Unknown = -1, // several terms raise "Wrong text search logic"; one term is tested like All
};

// "Encoding": how content terms become bytes.
enum class TTextEncoding : int32_t {
    Ansi = 0,    // the ANSI code page (Windows-1252)
    Utf16Le = 1, // shown as "Unicode"
    Utf8 = 2,
    Unknown = -1, // no bytes
};

// "SizeMultipleFrom", "SizeMultipleTo": the unit of a size bound.
enum class TSizeUnit : int32_t {
    Megabytes = 0,
    Kilobytes = 1,
    Bytes = 2,
    Unknown = -1, // makes the bound 0
};

// How many stored values each mode has (0 to count - 1).
template <typename Mode> inline constexpr int32_t kModeCount = 0;
template <> inline constexpr int32_t kModeCount<TSearchType> = 4;
template <> inline constexpr int32_t kModeCount<THiddenShareMode> = 3;
template <> inline constexpr int32_t kModeCount<TFolderListMode> = 3;
template <> inline constexpr int32_t kModeCount<TFtpMode> = 3;
template <> inline constexpr int32_t kModeCount<TTextLogic> = 3;
template <> inline constexpr int32_t kModeCount<TTextEncoding> = 3;
template <> inline constexpr int32_t kModeCount<TSizeUnit> = 3;

// A stored integer (or a dialog's item index) as its mode; anything outside
// 0 to count - 1, -1 included, is Unknown.
template <typename Mode> constexpr Mode ModeFromStored(int32_t value)
{
    static_assert(kModeCount<Mode> > 0, "not a search mode");
    return value >= 0 && value < kModeCount<Mode> ? static_cast<Mode>(value) : Mode::Unknown;
}

// The integer a mode is stored as (its item index; -1 for Unknown).
template <typename Mode> constexpr int32_t StoredModeValue(Mode mode)
{
    static_assert(kModeCount<Mode> > 0, "not a search mode");
    return static_cast<int32_t>(mode);
}
