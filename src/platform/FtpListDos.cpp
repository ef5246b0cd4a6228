#include "platform/FtpListFormats.h"

namespace {

// "12:34", "12:34PM", "12:34 PM", "14:34:56". Returns the index of the last field
// the time used, or 0 when `index` holds no time.
size_t ParseDosTime(const FtpLine& line, size_t index, DateTimeParts& parts)
{
    if (index >= line.size())
        return 0;
    std::string_view text = line[index];
    std::string_view gluedMeridiem;
    if (text.size() > 2 && (text.back() == 'M' || text.back() == 'm')) {
        gluedMeridiem = text.substr(text.size() - 2);
        text = text.substr(0, text.size() - 2);
    }
    if (!ParseClockTime(text, parts))
        return 0;
    if (!gluedMeridiem.empty())
        return ApplyMeridiem(gluedMeridiem, parts) ? index : 0;
    if (index + 1 < line.size() && ApplyMeridiem(line[index + 1], parts))
        return index + 1;
    return index;
}

// "01-05-20", "01/05/2020", "05.01.2020" (dots: day first unless the values
// say otherwise), "2020-01-05".
bool ParseDosDate(std::string_view text, DateTimeParts& parts)
{
    return ParseIsoDate(text, parts) ||
           ParseNumericDate(text, "-/.", text.find('.') != std::string_view::npos, parts);
}

// The text Windows' "dir" prints for links instead of a size: "<JUNCTION>",
// "<SYMLINKD>", "<SYMLINK>".
bool IsDosLinkMarker(std::string_view text)
{
    return EqualsNoCase(text, "<JUNCTION>") || EqualsNoCase(text, "<SYMLINKD>") ||
           EqualsNoCase(text, "<SYMLINK>");
}

} // namespace

bool ParseDosLine(const FtpLine& line, FtpRawEntry& entry)
{
    DateTimeParts parts;
    if (line.size() < 4 || !ParseDosDate(line[0], parts))
        return false;
    // Date, time, then the size or a marker, then the name.
    const size_t timeEnd = ParseDosTime(line, 1, parts);
    if (timeEnd == 0 || timeEnd + 2 >= line.size())
        return false;
    const size_t sizeField = timeEnd + 1;
    const std::string_view sizeText = line[sizeField];
    entry = FtpRawEntry{};
    std::string_view name = line.restAfter(sizeField);
    if (EqualsNoCase(sizeText, "<DIR>")) {
        entry.isDirectory = true;
    } else if (IsDosLinkMarker(sizeText)) {
        entry.isSymlink = true;
        // "name [target]"
        const size_t bracket = name.rfind(" [");
        if (bracket != std::string_view::npos && name.back() == ']')
            name = name.substr(0, bracket);
    } else if (!ParseSizeWithUnit(sizeText, entry.size)) {
        return false;
    }
    entry.name = BytesOf(name);
    entry.dateTime = DateTimeOrZero(parts);
    return true;
}

bool ParseOs2Line(const FtpLine& line, FtpRawEntry& entry)
{
    uint64_t size = 0;
    if (line.size() < 4 || !AllDigits(line[0]) || !ParseSize(line[0], size))
        return false;
    // Between the size and the date: attribute letters (A, R, H, S) and "DIR".
    bool directory = false;
    size_t dateField = 1;
    for (; dateField < line.size() && dateField <= 3; ++dateField) {
        DateTimeParts probe;
        if (ParseNumericDate(line[dateField], "-/", false, probe))
            break;
        if (EqualsNoCase(line[dateField], "DIR"))
            directory = true;
        else if (line[dateField].find_first_not_of("ARHSarhs") != std::string_view::npos)
            return false;
    }
    DateTimeParts parts;
    if (dateField + 2 >= line.size() || !ParseNumericDate(line[dateField], "-/", false, parts) ||
        !ParseClockTime(line[dateField + 1], parts))
        return false;
    entry = FtpRawEntry{};
    entry.name = BytesOf(line.restAfter(dateField + 1));
    entry.isDirectory = directory;
    entry.size = size;
    entry.dateTime = DateTimeOrZero(parts);
    return true;
}
