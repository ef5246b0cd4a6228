#include "platform/FtpListFormats.h"

namespace {

bool IsAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The type letter of a mode column: 'd' folder, 'l' link, 'b'/'c' device;
// every other letter and '-' is some kind of plain file. `numeric` when the
// mode is octal ("100644"), whose type bits give the same letters.
struct UnixMode {
    char type = '-';
    bool numeric = false;
};

bool ParseOctalMode(std::string_view text, UnixMode& mode)
{
    if (text.size() < 5 || text.size() > 7 || text.find_first_not_of("01234567") != std::string_view::npos)
        return false;
    unsigned value = 0;
    for (char c : text)
        value = value * 8 + static_cast<unsigned>(c - '0');
    switch (value & 0170000) {
    case 0040000:
        mode.type = 'd';
        break;
    case 0120000:
        mode.type = 'l';
        break;
    case 0100000:
        mode.type = '-';
        break;
    default:
        return false;
    }
    mode.numeric = true;
    return true;
}

// "drwxr-xr-x", also one character short ("-rw-r--r-"), with an ACL or
// attribute marker ('+', '@', '.') and even the link count glued on
// ("drwxr-xr-x+12"), and the enterprise-Unix column that carries other letters
// ("-C--E-----FTP").
bool ParseModeField(std::string_view text, UnixMode& mode)
{
    if (ParseOctalMode(text, mode))
        return true;
    for (size_t k = 9; k < text.size() && k <= 13; ++k) {
        if ((text[k] == '+' || text[k] == '@' || text[k] == '.') &&
            (k + 1 == text.size() || AllDigits(text.substr(k + 1)))) {
            text = text.substr(0, k);
            break;
        }
    }
    if (text.size() < 9 || text.size() > 14 || (text[0] != '-' && !IsAsciiLetter(text[0])))
        return false;
    static constexpr std::string_view kPermissions = "-rwxsStTlL";
    bool classic = text.size() <= 10;
    size_t dashes = 0;
    for (size_t i = 1; i < text.size(); ++i) {
        if (kPermissions.find(text[i]) == std::string_view::npos)
            classic = false;
        if (text[i] == '-')
            ++dashes;
        else if (!IsAsciiLetter(text[i]))
            return false;
    }
    if (!classic && dashes < 3)
        return false;
    mode.type = text[0];
    return true;
}

bool IsNetWareRights(std::string_view rights)
{
    return rights.size() >= 2 && rights.front() == '[' && rights.back() == ']';
}

// Where the date lies, found by looking for a date pattern rather than counting
// fields: owners and groups may be missing, numeric or padded differently from
// server to server. `lastField` is the date's last field; the name follows it.
struct UnixDate {
    DateTimeParts parts;
    bool hasYear = true;
    size_t lastField = 0;
};

// A year as Unix listings print it: four digits, or with the CJK/Korean year
// marker ("2020年", "2020년"). A plausible year only: a numeric owner, group or
// size is no year.
bool ParseListedYear(std::string_view text, int& year)
{
    for (const std::string_view marker :
         {std::string_view("\xE5\xB9\xB4"), std::string_view("\xEB\x85\x84")}) {
        if (text.size() > marker.size() && text.substr(text.size() - marker.size()) == marker)
            text.remove_suffix(marker.size());
    }
    return text.size() == 4 && ParseSmallNumber(text, 4, year) && year >= 1900 && year <= 2100;
}

bool ParseYearOrTime(std::string_view text, UnixDate& date)
{
    int year = 0;
    if (ParseListedYear(text, year)) {
        date.parts.year = year;
        date.hasYear = true;
        return true;
    }
    if (ParseClockTime(text, date.parts)) {
        date.hasYear = false;
        return true;
    }
    return false;
}

// Month and day in either order: "Jan  5", "5 Jan", "5. Jan", "Jan 5,",
// "jan.  5", "1月  5日", "5 janv.".
bool ParseMonthAndDay(std::string_view a, std::string_view b, DateTimeParts& parts)
{
    int month = MonthFromName(a);
    int day = 0;
    if (month != 0 && ParseDayOfMonth(b, day)) {
        parts.month = month;
        parts.day = day;
        return true;
    }
    month = MonthFromName(b);
    if (month != 0 && ParseDayOfMonth(a, day)) {
        parts.month = month;
        parts.day = day;
        return true;
    }
    return false;
}

// "2020年1月5日" written as one field.
bool ParseGluedCjkDate(std::string_view text, DateTimeParts& parts)
{
    static constexpr std::string_view kYear[] = {"\xE5\xB9\xB4", "\xEB\x85\x84"};
    for (const std::string_view year : kYear) {
        const size_t at = text.find(year);
        if (at == std::string_view::npos || at != 4)
            continue;
        int value = 0;
        if (!ParseListedYear(text.substr(0, at + year.size()), value))
            return false;
        const std::string_view rest = text.substr(at + year.size());
        // The month marker is three bytes in both scripts.
        for (size_t split = 1; split + 3 < rest.size() && split <= 2; ++split) {
            const int month = MonthFromName(rest.substr(0, split + 3));
            int day = 0;
            if (month != 0 && ParseDayOfMonth(rest.substr(split + 3), day)) {
                parts.year = value;
                parts.month = month;
                parts.day = day;
                return true;
            }
        }
    }
    return false;
}

bool MatchDateAt(const FtpLine& line, size_t i, UnixDate& date)
{
    date = UnixDate{};
    const size_t n = line.size();
    // "Jan  5 12:34", "Jan  5  2020", "5. Jan 12:34" and the BSD full form
    // "Jan  5 12:34:56 2020" (VShell).
    if (i + 3 < n && ParseMonthAndDay(line[i], line[i + 1], date.parts) &&
        ParseYearOrTime(line[i + 2], date)) {
        date.lastField = i + 2;
        int year = 0;
        if (!date.hasYear && i + 4 < n && ParseListedYear(line[i + 3], year)) {
            date.parts.year = year;
            date.hasYear = true;
            date.lastField = i + 3;
        }
        return true;
    }
    // "2020年 1月 5日 12:34".
    int year = 0;
    if (i + 3 < n && ParseListedYear(line[i], year) &&
        ParseMonthAndDay(line[i + 1], line[i + 2], date.parts)) {
        date.parts.year = year;
        date.lastField = i + 2;
        if (i + 4 < n && ParseClockTime(line[i + 3], date.parts))
            date.lastField = i + 3;
        return true;
    }
    // "2020年1月5日 12:34".
    if (i + 1 < n && ParseGluedCjkDate(line[i], date.parts)) {
        date.lastField = i;
        if (i + 2 < n && ParseClockTime(line[i + 1], date.parts))
            date.lastField = i + 1;
        return true;
    }
    // "2020-01-05 12:34" (ls --time-style=long-iso) and the full-iso form with
    // seconds, fraction and a zone offset; "05.01.2020 12:34", "01-05-20 12:34".
    if (i + 2 < n &&
        (ParseIsoDate(line[i], date.parts) ||
         ParseNumericDate(line[i], "-./", line[i].find('.') != std::string_view::npos, date.parts)) &&
        ParseClockTime(line[i + 1], date.parts)) {
        date.lastField = i + 1;
        const std::string_view zone = line[i + 2];
        if (zone.size() == 5 && (zone[0] == '+' || zone[0] == '-') && AllDigits(zone.substr(1)) && i + 3 < n)
            date.lastField = i + 2;
        return true;
    }
    // Numeric dates with blanks, always followed by a time: "2020 01 05 12:34",
    // "05 01 2020 12:34".
    int a = 0, b = 0, c = 0;
    if (i + 4 < n && ParseSmallNumber(line[i], 4, a) && ParseSmallNumber(line[i + 1], 2, b) &&
        ParseSmallNumber(line[i + 2], 4, c) && (line[i].size() == 4) != (line[i + 2].size() == 4) &&
        ParseClockTime(line[i + 3], date.parts)) {
        const bool yearFirst = line[i].size() == 4;
        const bool dayFirst = !yearFirst && (a > 12 || b <= 12);
        date.parts.year = yearFirst ? a : c;
        date.parts.month = yearFirst ? b : dayFirst ? b : a;
        date.parts.day = yearFirst ? c : dayFirst ? a : b;
        if (date.parts.month >= 1 && date.parts.month <= 12 && date.parts.day >= 1 && date.parts.day <= 31) {
            date.lastField = i + 3;
            return true;
        }
    }
    return false;
}

// The size column just before the date. Device files show "major, minor" or
// "major,minor" there, or a size; some servers print units ("1.5K"); an
// overflowing owner or group column runs into the size ("staff123456").
bool SizeBefore(const FtpLine& line, size_t sizeField, bool device, uint64_t& size)
{
    const std::string_view text = line[sizeField];
    if (device) {
        const size_t comma = text.find(',');
        if (comma != std::string_view::npos && comma > 0 && AllDigits(text.substr(0, comma)) &&
            AllDigits(text.substr(comma + 1))) {
            size = 0;
            return true;
        }
        if (AllDigits(text) && sizeField >= 2 && line[sizeField - 1].size() > 1 &&
            line[sizeField - 1].back() == ',' &&
            AllDigits(line[sizeField - 1].substr(0, line[sizeField - 1].size() - 1))) {
            size = 0;
            return true;
        }
    }
    if (ParseSizeWithUnit(text, size))
        return true;
    const size_t digits = text.find_last_not_of("0123456789");
    if (sizeField >= 2 && digits != std::string_view::npos && digits + 1 < text.size() &&
        !(text[0] >= '0' && text[0] <= '9'))
        return ParseSize(text.substr(digits + 1), size);
    return false;
}

// Exactly one blank separates the date from the name; every further blank
// belongs to the name.
std::string_view NameAfter(const FtpLine& line, size_t field)
{
    size_t start = line.fields[field].offset + line.fields[field].text.size();
    if (start < line.text.size())
        ++start;
    return line.text.substr(start);
}

void FillEntry(const UnixMode& mode, std::string_view name, uint64_t size, FtpRawEntry& entry)
{
    if (mode.type == 'l') {
        const size_t arrow = name.find(" -> ");
        if (arrow != std::string_view::npos)
            name = name.substr(0, arrow);
    }
    entry = FtpRawEntry{};
    entry.name = BytesOf(name);
    entry.isDirectory = mode.type == 'd';
    entry.isSymlink = mode.type == 'l';
    entry.size = size;
}

bool LooksLikeDatePart(std::string_view text)
{
    DateTimeParts parts;
    int year = 0;
    return ParseClockTime(text, parts) || ParseListedYear(text, year);
}

// "mode links owner group size name" without any date; refused when a date
// the parser does not know seems to stand where the name would begin.
bool ParseUndatedLine(const FtpLine& line, const UnixMode& mode, FtpRawEntry& entry)
{
    uint64_t size = 0;
    if (line.size() < 6 || !AllDigits(line[1]) || !ParseSizeWithUnit(line[4], size))
        return false;
    for (size_t i = 6; i < line.size() && i <= 7; ++i) {
        if (LooksLikeDatePart(line[i]))
            return false;
    }
    const std::string_view name = NameAfter(line, 4);
    if (name.empty())
        return false;
    FillEntry(mode, name, size, entry);
    return true;
}

// "100644 1 1000 1000 1234 1577836800 name": octal mode, links, owner, group,
// size and the time in seconds since the epoch.
bool ParseEpochLine(const FtpLine& line, const UnixMode& mode, FtpRawEntry& entry)
{
    uint64_t size = 0, seconds = 0;
    if (line.size() < 7 || !AllDigits(line[1]) || !ParseSize(line[4], size) || !AllDigits(line[5]) ||
        line[5].size() > 11 || !ParseSize(line[5], seconds))
        return false;
    const std::string_view name = NameAfter(line, 5);
    if (name.empty())
        return false;
    FillEntry(mode, name, size, entry);
    entry.dateTime = LocalDateTimeFromUnixTime(static_cast<int64_t>(seconds));
    return true;
}

} // namespace

bool ParseUnixLine(const FtpLine& line, const DateTimeParts& now, FtpRawEntry& entry)
{
    if (line.size() < 3)
        return false;
    UnixMode mode;
    const bool netWare = (line[0] == "d" || line[0] == "-") && IsNetWareRights(line[1]);
    if (netWare)
        mode.type = line[0][0];
    else if (!ParseModeField(line[0], mode))
        return false;
    if (mode.numeric && ParseEpochLine(line, mode, entry))
        return true;
    const bool device = mode.type == 'b' || mode.type == 'c';
    const size_t firstSize = netWare ? 2 : 1;
    for (size_t i = firstSize + 1; i < line.size(); ++i) {
        UnixDate date;
        uint64_t size = 0;
        if (!MatchDateAt(line, i, date) || !SizeBefore(line, i - 1, device, size))
            continue;
        const std::string_view name = NameAfter(line, date.lastField);
        if (name.empty())
            continue;
        if (!date.hasYear)
            date.parts.year = MostRecentYear(date.parts, now);
        FillEntry(mode, name, size, entry);
        entry.dateTime = DateTimeOrZero(date.parts);
        return true;
    }
    return !netWare && ParseUndatedLine(line, mode, entry);
}
