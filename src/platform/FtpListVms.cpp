#include "platform/FtpListFormats.h"

namespace {

constexpr int64_t kVmsBlockSize = 512;

// "NAME.EXT;12", possibly preceded by its device and directory
// ("DISK$USER:[ANON]NAME.EXT;12"). Gives the name without the version.
bool SplitVmsName(std::string_view field, std::string_view& name)
{
    const size_t semicolon = field.rfind(';');
    if (semicolon == std::string_view::npos || semicolon == 0 || !AllDigits(field.substr(semicolon + 1)))
        return false;
    name = field.substr(0, semicolon);
    const size_t bracket = name.rfind(']');
    if (bracket != std::string_view::npos)
        name = name.substr(bracket + 1);
    return !name.empty();
}

// "5-JAN-2020" (also with a two-digit year).
bool ParseVmsDate(std::string_view text, DateTimeParts& parts)
{
    const size_t first = text.find('-');
    const size_t second = first == std::string_view::npos ? first : text.find('-', first + 1);
    if (second == std::string_view::npos)
        return false;
    int day = 0, year = 0;
    const std::string_view yearText = text.substr(second + 1);
    const int month = MonthFromName(text.substr(first + 1, second - first - 1));
    if (month == 0 || !ParseSmallNumber(text.substr(0, first), 2, day) || day < 1 || day > 31 ||
        (yearText.size() != 2 && yearText.size() != 4) || !ParseSmallNumber(yearText, 4, year))
        return false;
    parts.year = FullYear(year);
    parts.month = month;
    parts.day = day;
    return true;
}

// "213/216" (used/allocated blocks) or "213".
bool ParseVmsBlocks(std::string_view text, int64_t& blocks)
{
    const size_t slash = text.find('/');
    const std::string_view used = text.substr(0, slash);
    if (!AllDigits(used) || (slash != std::string_view::npos && !AllDigits(text.substr(slash + 1))))
        return false;
    return ParseSize(used, blocks);
}

} // namespace

bool IsVmsNameOnly(const FtpLine& line)
{
    std::string_view name;
    return line.size() == 1 && SplitVmsName(line[0], name);
}

bool ParseVmsLine(const FtpLine& line, FtpRawEntry& entry)
{
    std::string_view name;
    if (line.size() < 3 || !SplitVmsName(line[0], name))
        return false;
    size_t field = 1;
    int64_t blocks = 0;
    if (ParseVmsBlocks(line[field], blocks))
        ++field;
    DateTimeParts parts;
    if (field + 1 >= line.size() || !ParseVmsDate(line[field], parts) || !ParseClockTime(line[field + 1], parts))
        return false;
    entry = FtpRawEntry{};
    constexpr std::string_view kDirSuffix = ".DIR";
    if (name.size() > kDirSuffix.size() &&
        EqualsNoCase(name.substr(name.size() - kDirSuffix.size()), kDirSuffix)) {
        entry.isDirectory = true;
        name.remove_suffix(kDirSuffix.size());
    }
    entry.name = BytesOf(name);
    entry.size = blocks > INT64_MAX / kVmsBlockSize ? INT64_MAX : blocks * kVmsBlockSize;
    entry.dateTime = DateTimeOrZero(parts);
    return true;
}
