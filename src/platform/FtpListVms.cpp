#include "platform/FtpListFormats.h"

namespace {

constexpr uint64_t kVmsBlockSize = 512;

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

// "213/216" (used/allocated blocks) or "213": 512-byte blocks. Some servers
// print bytes with a unit instead ("12KB", "1.5MB").
bool ParseVmsSize(std::string_view text, uint64_t& size)
{
    const size_t slash = text.find('/');
    const std::string_view used = text.substr(0, slash);
    uint64_t blocks = 0;
    if (AllDigits(used) && (slash == std::string_view::npos || AllDigits(text.substr(slash + 1))) &&
        ParseSize(used, blocks)) {
        size = SaturatingProduct(blocks, kVmsBlockSize);
        return true;
    }
    return !AllDigits(text) && ParseSizeWithUnit(text, size);
}

// Owner "[GROUP,OWNER]" and protection "(RWED,RWED,RE,)", possibly split by
// blanks inside the brackets: `closer` is the bracket still open.
bool SkipVmsDecoration(std::string_view text, char& closer)
{
    if (closer == 0) {
        if (text.front() != '[' && text.front() != '(')
            return false;
        closer = text.front() == '[' ? ']' : ')';
    }
    if (text.back() == closer)
        closer = 0;
    return true;
}

} // namespace

bool IsVmsNameOnly(const FtpLine& line)
{
    std::string_view name;
    return line.size() == 1 && SplitVmsName(line[0], name);
}

// After the name: size, date and time in any order, the time may be missing,
// then owner and protection.
bool ParseVmsLine(const FtpLine& line, FtpRawEntry& entry)
{
    std::string_view name;
    if (line.size() < 2 || !SplitVmsName(line[0], name))
        return false;
    bool sized = false, dated = false, timed = false;
    uint64_t size = 0;
    DateTimeParts parts;
    char closer = 0;
    for (size_t field = 1; field < line.size(); ++field) {
        const std::string_view text = line[field];
        if (closer != 0 && SkipVmsDecoration(text, closer))
            continue;
        if (!dated && ParseDashedMonthDate(text, parts))
            dated = true;
        else if (dated && !timed && ParseClockTime(text, parts))
            timed = true;
        else if (!sized && ParseVmsSize(text, size))
            sized = true;
        else if (!SkipVmsDecoration(text, closer))
            return false;
    }
    if (!dated && !sized)
        return false;
    entry = FtpRawEntry{};
    constexpr std::string_view kDirSuffix = ".DIR";
    if (name.size() > kDirSuffix.size() &&
        EqualsNoCase(name.substr(name.size() - kDirSuffix.size()), kDirSuffix)) {
        entry.isDirectory = true;
        name.remove_suffix(kDirSuffix.size());
    }
    entry.name = BytesOf(name);
    entry.size = size;
    entry.dateTime = dated ? DateTimeOrZero(parts) : 0.0;
    return true;
}
