#include "platform/FtpListFormats.h"

namespace {

// The rest of the line from `start`, without the trailing "<DIR>" marker and
// the blanks that pad the name column before it.
std::string_view NameBeforeMarker(std::string_view rest, bool& folder)
{
    constexpr std::string_view kMarker = "<DIR>";
    while (!rest.empty() && IsFtpBlank(rest.back()))
        rest.remove_suffix(1);
    folder = rest.size() > kMarker.size() && EqualsNoCase(rest.substr(rest.size() - kMarker.size()), kMarker);
    if (folder) {
        rest.remove_suffix(kMarker.size());
        while (!rest.empty() && IsFtpBlank(rest.back()))
            rest.remove_suffix(1);
    }
    return rest;
}

// An entry of these listings: a folder's size is not a file size, so it is 0.
FtpRawEntry MakeEntry(std::string_view name, bool folder, uint64_t size, const DateTimeParts& parts)
{
    FtpRawEntry entry;
    entry.name = BytesOf(name);
    entry.isDirectory = folder;
    entry.size = folder ? 0 : size;
    entry.dateTime = DateTimeOrZero(parts);
    return entry;
}

} // namespace

bool ParseVxWorksLine(const FtpLine& line, FtpRawEntry& entry)
{
    uint64_t size = 0;
    DateTimeParts parts;
    if (line.size() < 4 || !AllDigits(line[0]) || !ParseSize(line[0], size) ||
        !ParseDashedMonthDate(line[1], parts) || !ParseClockTime(line[2], parts))
        return false;
    bool folder = false;
    const std::string_view name = NameBeforeMarker(line.restFrom(3), folder);
    if (name.empty())
        return false;
    entry = MakeEntry(name, folder, size, parts);
    return true;
}

bool ParseOs9Line(const FtpLine& line, FtpRawEntry& entry)
{
    if (line.size() < 7)
        return false;
    // Owner "group.user".
    const std::string_view owner = line[0];
    const size_t dot = owner.find('.');
    if (dot == std::string_view::npos || !AllDigits(owner.substr(0, dot)) ||
        !AllDigits(owner.substr(dot + 1)))
        return false;
    // "yy/mm/dd" and "hhmm".
    const std::string_view date = line[1];
    const std::string_view time = line[2];
    int year = 0, month = 0, day = 0, hour = 0, minute = 0;
    if (date.size() != 8 || date[2] != '/' || date[5] != '/' ||
        !ParseSmallNumber(date.substr(0, 2), 2, year) || !ParseSmallNumber(date.substr(3, 2), 2, month) ||
        !ParseSmallNumber(date.substr(6, 2), 2, day) || time.size() != 4 ||
        !ParseSmallNumber(time.substr(0, 2), 2, hour) || !ParseSmallNumber(time.substr(2, 2), 2, minute))
        return false;
    // Attributes "d-ewrewr": folder flag, then permission letters.
    const std::string_view attributes = line[3];
    if (attributes.size() != 8 || (attributes[0] != 'd' && attributes[0] != '-') ||
        attributes.find_first_not_of("-dsewr") != std::string_view::npos)
        return false;
    uint64_t sector = 0, size = 0;
    if (!ParseHexSize(line[4], sector) || !ParseHexSize(line[5], size))
        return false;
    const FtpField& count = line.fields[5];
    const std::string_view name = line.text.substr(count.offset + count.text.size() + 1);
    if (name.empty())
        return false;
    entry = MakeEntry(name, attributes[0] == 'd', size, {FullYear(year), month, day, hour, minute, 0, 0});
    return true;
}

bool ParseNortelLine(const FtpLine& line, FtpRawEntry& entry)
{
    if (line.size() < 4)
        return false;
    const bool folder = EqualsNoCase(line[line.size() - 1], "<DIR>");
    const size_t last = line.size() - (folder ? 2 : 1);
    if (last < 3)
        return false;
    DateTimeParts parts;
    uint64_t size = 0;
    if (!ParseClockTime(line[last], parts) || !ParseNumericDate(line[last - 1], "/-", false, parts) ||
        !AllDigits(line[last - 2]) || !ParseSize(line[last - 2], size))
        return false;
    std::string_view name = line.text.substr(0, line.fields[last - 2].offset);
    while (!name.empty() && IsFtpBlank(name.back()))
        name.remove_suffix(1);
    while (!name.empty() && IsFtpBlank(name.front()))
        name.remove_prefix(1);
    if (name.empty())
        return false;
    entry = MakeEntry(name, folder, size, parts);
    return true;
}
