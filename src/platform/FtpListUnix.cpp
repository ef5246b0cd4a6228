#include "platform/FtpListFormats.h"

namespace {

// "drwxr-xr-x", optionally followed by an ACL/attribute marker ('+', '@', '.').
bool IsUnixModeField(std::string_view mode)
{
    if (mode.size() == 11 && (mode[10] == '+' || mode[10] == '@' || mode[10] == '.'))
        mode = mode.substr(0, 10);
    if (mode.size() != 10)
        return false;
    static constexpr std::string_view kTypes = "-dlbcpsDn";
    static constexpr std::string_view kPermissions = "-rwxsStTlL";
    if (kTypes.find(mode[0]) == std::string_view::npos)
        return false;
    for (size_t i = 1; i < mode.size(); ++i) {
        if (kPermissions.find(mode[i]) == std::string_view::npos)
            return false;
    }
    return true;
}

bool IsNetWareRights(std::string_view rights)
{
    return rights.size() >= 2 && rights.front() == '[' && rights.back() == ']';
}

// Where the date starts and which field holds the name, found by looking for the
// date pattern rather than counting fields: owners and groups may be missing,
// numeric or padded differently from server to server.
struct UnixDate {
    DateTimeParts parts;
    bool hasYear = true;
    size_t nameField = 0;
};

bool ParseYearOrTime(std::string_view text, UnixDate& date)
{
    int year = 0;
    // A plausible year only: a numeric owner, group or size is no year.
    if (text.size() == 4 && ParseSmallNumber(text, 4, year) && year >= 1900 && year <= 2100) {
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

bool MatchDateAt(const FtpLine& line, size_t i, UnixDate& date)
{
    date = UnixDate{};
    int day = 0;
    // "Jan  5 12:34" / "Jan  5  2020"; also "5 Jan 12:34", which a few servers send.
    if (i + 3 < line.size()) {
        int month = MonthFromName(line[i]);
        bool dayOk = month != 0 && ParseSmallNumber(line[i + 1], 2, day);
        if (!dayOk) {
            month = MonthFromName(line[i + 1]);
            dayOk = month != 0 && ParseSmallNumber(line[i], 2, day);
        }
        if (dayOk && day >= 1 && day <= 31 && ParseYearOrTime(line[i + 2], date)) {
            date.parts.month = month;
            date.parts.day = day;
            date.nameField = i + 3;
            return true;
        }
    }
    // "2020-01-05 12:34" (ls --time-style=long-iso) and the full-iso form with
    // seconds, fraction and a zone offset.
    if (i + 2 < line.size() && ParseIsoDate(line[i], date.parts) && ParseClockTime(line[i + 1], date.parts)) {
        date.nameField = i + 2;
        const std::string_view zone = line[i + 2];
        if (zone.size() == 5 && (zone[0] == '+' || zone[0] == '-') && AllDigits(zone.substr(1)) &&
            i + 3 < line.size())
            date.nameField = i + 3;
        return true;
    }
    return false;
}

} // namespace

bool ParseUnixLine(const FtpLine& line, const DateTimeParts& now, FtpRawEntry& entry)
{
    if (line.size() < 4)
        return false;
    const std::string_view mode = line[0];
    const bool netWare = (mode == "d" || mode == "-") && IsNetWareRights(line[1]);
    if (!netWare && !IsUnixModeField(mode))
        return false;
    const char type = mode[0];
    const bool device = type == 'b' || type == 'c';

    // The size is the field just before the date; device files show
    // "major, minor" there instead.
    for (size_t i = netWare ? 3 : 2; i < line.size(); ++i) {
        UnixDate date;
        if (!AllDigits(line[i - 1]) || !MatchDateAt(line, i, date))
            continue;
        int64_t size = 0;
        if (!device && !ParseSize(line[i - 1], size))
            continue;
        std::string_view name = line.restFrom(date.nameField);
        if (type == 'l') {
            const size_t arrow = name.find(" -> ");
            if (arrow != std::string_view::npos)
                name = name.substr(0, arrow);
        }
        if (!date.hasYear)
            date.parts.year = MostRecentYear(date.parts, now);
        entry = FtpRawEntry{};
        entry.name = BytesOf(name);
        entry.isDirectory = type == 'd';
        entry.isSymlink = type == 'l';
        entry.size = device ? 0 : size;
        entry.dateTime = DateTimeOrZero(date.parts);
        return true;
    }
    return false;
}
