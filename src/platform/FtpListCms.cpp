#include "platform/FtpListFormats.h"

namespace {

// Record length, record and block counts; '-' where a folder has none.
bool IsCmsCount(std::string_view text)
{
    return text == "-" || AllDigits(text);
}

} // namespace

bool ParseCmsLine(const FtpLine& line, FtpRawEntry& entry)
{
    if (line.size() < 9)
        return false;
    const std::string_view format = line[3];
    const bool folder = format == "DIR";
    if (!folder && format != "F" && format != "V")
        return false;
    // The file mode: a letter and a digit ("A1"), '-' for folders.
    const std::string_view mode = line[2];
    const bool modeOk = mode == "-" || (mode.size() == 2 && mode[0] >= 'A' && mode[0] <= 'Z' &&
                                        mode[1] >= '0' && mode[1] <= '9');
    if (!modeOk || !IsCmsCount(line[4]) || !IsCmsCount(line[5]) || !IsCmsCount(line[6]))
        return false;
    DateTimeParts parts;
    if (!(ParseIsoDate(line[7], parts) || ParseNumericDate(line[7], "/", false, parts)) ||
        !ParseClockTime(line[8], parts))
        return false;
    entry = FtpRawEntry{};
    entry.isDirectory = folder;
    // Files are reached as "NAME.TYPE"; folders by their name alone.
    entry.name = BytesOf(line[0]);
    if (!folder) {
        entry.name += '.';
        entry.name += BytesOf(line[1]);
        // No byte count is listed: record length times records, exact for
        // fixed records and an upper bound for variable ones.
        uint64_t length = 0, records = 0;
        if (ParseSize(line[4], length) && ParseSize(line[5], records))
            entry.size = SaturatingProduct(length, records);
    }
    entry.dateTime = DateTimeOrZero(parts);
    return true;
}
