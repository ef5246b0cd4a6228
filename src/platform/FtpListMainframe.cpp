#include "platform/FtpListFormats.h"

#include <algorithm>
#include <array>
#include <string>

namespace {

// Object types of the AS/400 integrated file system that hold other objects.
// A "*FILE" is a database or save file: listed, not walked into.
bool IsAs400Container(std::string_view type)
{
    return EqualsNoCase(type, "*DIR") || EqualsNoCase(type, "*DDIR") || EqualsNoCase(type, "*LIB") ||
           EqualsNoCase(type, "*FLR");
}

// "06/11/97", "11.06.97", "97-06-11", "97/162" (year and day of the year): the
// numbers as printed, ordered later by As400DateTime.
bool ParseAs400Stamp(std::string_view dateText, std::string_view timeText, As400Stamp& stamp)
{
    stamp = As400Stamp{};
    const size_t first = dateText.find_first_of("/.-,");
    if (first == std::string_view::npos)
        return false;
    stamp.separator = dateText[first];
    const size_t second = dateText.find(stamp.separator, first + 1);
    const std::string_view a = dateText.substr(0, first);
    const std::string_view b =
        dateText.substr(first + 1, second == std::string_view::npos ? second : second - first - 1);
    if (!ParseSmallNumber(a, 4, stamp.values[0]) || !ParseSmallNumber(b, 3, stamp.values[1]))
        return false;
    stamp.firstIsYear = a.size() >= 3;
    if (second == std::string_view::npos) {
        // Julian: two-digit year, three-digit day of the year.
        if (b.size() != 3 || stamp.values[1] < 1 || stamp.values[1] > 366)
            return false;
        stamp.julian = true;
    } else if (b.size() > 2 || !ParseSmallNumber(dateText.substr(second + 1), 4, stamp.values[2])) {
        return false;
    }
    // The job's time separator may be '.' as well as ':'.
    std::string clock(timeText);
    if (clock.find(':') == std::string::npos)
        std::replace(clock.begin(), clock.end(), '.', ':');
    return ParseClockTime(clock, stamp.clock);
}

bool IsAs400Type(std::string_view text)
{
    return text.size() >= 2 && text[0] == '*';
}

// Members are listed as "LIB.FILE/MEMBER.MBR" and folders as "NAME/": the entry
// is the last part.
std::string_view As400Name(std::string_view name)
{
    while (!name.empty() && name.back() == '/')
        name.remove_suffix(1);
    const size_t slash = name.rfind('/');
    return slash == std::string_view::npos ? name : name.substr(slash + 1);
}

bool As400DateFits(const As400Stamp& stamp, As400DateOrder order, DateTimeParts& parts)
{
    if (stamp.julian) {
        double start = 0;
        parts = stamp.clock;
        parts.year = FullYear(stamp.values[0]);
        parts.month = 1;
        parts.day = 1;
        return TryEncodeListedTime(parts, start) &&
               DecodeDateTime(start + stamp.values[1] - 1).year == parts.year;
    }
    if (stamp.firstIsYear && order != As400DateOrder::YearMonthDay)
        return false;
    const int* v = stamp.values.data();
    int year = 0, month = 0, day = 0;
    switch (order) {
    case As400DateOrder::MonthDayYear:
        month = v[0], day = v[1], year = v[2];
        break;
    case As400DateOrder::DayMonthYear:
        day = v[0], month = v[1], year = v[2];
        break;
    case As400DateOrder::YearMonthDay:
        year = v[0], month = v[1], day = v[2];
        break;
    }
    parts = stamp.clock;
    parts.year = FullYear(year);
    parts.month = month;
    parts.day = day;
    double value = 0;
    return TryEncodeListedTime(parts, value);
}

} // namespace

As400DateOrder DecideAs400DateOrder(const std::vector<As400Stamp>& stamps)
{
    // The separator hints at the job's date format: '/' at MDY, '.' and ',' at
    // DMY, '-' at YMD. The values overrule the hint: the order is the first one
    // in which every date of the listing is a real date.
    const char separator = stamps.empty() ? '/' : stamps.front().separator;
    using O = As400DateOrder;
    const std::array<O, 3> preference =
        separator == '-'   ? std::array{O::YearMonthDay, O::DayMonthYear, O::MonthDayYear}
        : separator == '/' ? std::array{O::MonthDayYear, O::DayMonthYear, O::YearMonthDay}
                           : std::array{O::DayMonthYear, O::MonthDayYear, O::YearMonthDay};
    for (const O order : preference) {
        bool fitsAll = true;
        for (const As400Stamp& stamp : stamps) {
            DateTimeParts parts;
            fitsAll = fitsAll && As400DateFits(stamp, order, parts);
        }
        if (fitsAll)
            return order;
    }
    return preference.front();
}

double As400DateTime(const As400Stamp& stamp, As400DateOrder order)
{
    DateTimeParts parts;
    if (stamp.julian) {
        double start = 0;
        return As400DateFits(stamp, order, parts) && TryEncodeListedTime(parts, start)
                   ? start + stamp.values[1] - 1
                   : 0.0;
    }
    // A date that does not fit the listing's order still gets its own reading.
    if (As400DateFits(stamp, order, parts))
        return DateTimeOrZero(parts);
    for (const As400DateOrder other :
         {As400DateOrder::MonthDayYear, As400DateOrder::DayMonthYear, As400DateOrder::YearMonthDay}) {
        if (As400DateFits(stamp, other, parts))
            return DateTimeOrZero(parts);
    }
    return 0.0;
}

bool ParseAs400Line(const FtpLine& line, FtpRawEntry& entry, As400Stamp& stamp)
{
    std::string_view type;
    size_t nameField = 0;
    uint64_t size = 0;
    stamp = As400Stamp{};
    if (line.size() >= 6 && IsAs400Type(line[4]) && AllDigits(line[1]) && ParseSize(line[1], size)) {
        // The date in the job's format; its field order is decided for the
        // whole listing (As400DateOrder).
        if (!ParseAs400Stamp(line[2], line[3], stamp))
            return false;
        type = line[4];
        nameField = 5;
    } else if (line.size() >= 3 && IsAs400Type(line[1])) {
        type = line[1];
        nameField = 2;
    } else {
        return false;
    }
    const std::string_view name = As400Name(line.restFrom(nameField));
    if (name.empty())
        return false;
    entry = FtpRawEntry{};
    entry.name = BytesOf(name);
    entry.isDirectory = IsAs400Container(type);
    entry.size = size;
    entry.dateTime = stamp.separator != 0 ? As400DateTime(stamp, DecideAs400DateOrder({stamp})) : 0.0;
    return true;
}

bool IsMvsDatasetHeader(const FtpLine& line)
{
    return line.size() >= 3 && line[0] == "Volume" && line[1] == "Unit" && line[line.size() - 1] == "Dsname";
}

// "WYNK01 3390 2020/01/05 1 15 FB 80 6160 PO MY.PDS": the data set name is the
// last field; partitioned data sets (PO, PO-E) hold members and are folders.
// Migrated, tape and pseudo-directory lines carry only the name.
bool ParseMvsDatasetLine(const FtpLine& line, FtpRawEntry& entry)
{
    if (line.size() < 2)
        return false;
    entry = FtpRawEntry{};
    std::string_view name = line[line.size() - 1];
    if (name.size() > 2 && name.front() == '\'' && name.back() == '\'')
        name = name.substr(1, name.size() - 2);
    entry.name = BytesOf(name);
    const bool pseudo = line[0] == "Pseudo" && line[1] == "Directory";
    entry.isDirectory = pseudo;
    for (size_t i = 1; i + 1 < line.size(); ++i) {
        DateTimeParts parts;
        if (entry.dateTime == 0.0 && ParseIsoDate(line[i], parts))
            entry.dateTime = DateTimeOrZero(parts);
        if (line[i] == "PO" || line[i] == "PO-E")
            entry.isDirectory = true;
    }
    return true;
}

bool IsMvsMemberHeader(const FtpLine& line)
{
    return line.size() >= 2 && line[0] == "Name" && line[1] == "VV.MM";
}

bool IsMvsLoadModuleHeader(const FtpLine& line)
{
    return line.size() >= 2 && line[0] == "Name" && line[1] == "Size";
}

// "MEMBER1 01.01 2020/01/05 2020/01/05 12:34 10 10 0 USER" (name, version,
// created, changed date and time, current, initial and modified record counts,
// user). The listing gives no bytes: the size is the current record count.
// Members without statistics show the name only.
bool ParseMvsMemberLine(const FtpLine& line, FtpRawEntry& entry)
{
    if (line.size() < 1)
        return false;
    entry = FtpRawEntry{};
    entry.name = BytesOf(line[0]);
    DateTimeParts parts;
    if (line.size() >= 5 && ParseIsoDate(line[2], parts) && ParseIsoDate(line[3], parts) &&
        ParseClockTime(line[4], parts)) {
        entry.dateTime = DateTimeOrZero(parts);
        if (line.size() >= 6 && AllDigits(line[5]))
            ParseSize(line[5], entry.size);
    }
    return true;
}

// "IEFBR14 000018 00000C ..." : name and the module size in hexadecimal bytes.
bool ParseMvsLoadModuleLine(const FtpLine& line, FtpRawEntry& entry)
{
    if (line.size() < 1)
        return false;
    entry = FtpRawEntry{};
    entry.name = BytesOf(line[0]);
    if (line.size() >= 2)
        ParseHexSize(line[1], entry.size);
    return true;
}
