#include "platform/FtpListFormats.h"

namespace {

bool IsNonStopName(std::string_view text)
{
    if (text.empty() || text.size() > 8)
        return false;
    for (char c : text) {
        const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
        if (!ok)
            return false;
    }
    return !(text[0] >= '0' && text[0] <= '9');
}

// The file code, with 'A' (audited) or other single-letter flags after it.
bool IsNonStopCode(std::string_view text)
{
    while (!text.empty() && !(text.back() >= '0' && text.back() <= '9'))
        text.remove_suffix(1);
    return AllDigits(text);
}

} // namespace

bool ParseNonStopLine(const FtpLine& line, FtpRawEntry& entry)
{
    if (line.size() < 6 || !IsNonStopName(line[0]) || !IsNonStopCode(line[1]) || !AllDigits(line[2]))
        return false;
    DateTimeParts parts;
    if (!ParseDashedMonthDate(line[3], parts) || !ParseClockTime(line[4], parts))
        return false;
    // The owner "group,user" (or "-1" for the super ID).
    const std::string_view owner = line[5];
    const size_t comma = owner.find(',');
    const bool ownerOk =
        owner == "-1" || (comma != std::string_view::npos && AllDigits(owner.substr(0, comma)) &&
                          AllDigits(owner.substr(comma + 1)));
    if (!ownerOk)
        return false;
    entry = FtpRawEntry{};
    entry.name = BytesOf(line[0]);
    ParseSize(line[2], entry.size);
    entry.dateTime = DateTimeOrZero(parts);
    return true;
}
