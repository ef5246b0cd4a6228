#include "platform/FtpListFormats.h"

namespace {

// Object types of the AS/400 integrated file system that hold other objects.
bool IsAs400Container(std::string_view type)
{
    return EqualsNoCase(type, "*DIR") || EqualsNoCase(type, "*DDIR") || EqualsNoCase(type, "*LIB") ||
           EqualsNoCase(type, "*FLR") || EqualsNoCase(type, "*FILE");
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

} // namespace

bool ParseAs400Line(const FtpLine& line, FtpRawEntry& entry)
{
    std::string_view type;
    size_t nameField = 0;
    DateTimeParts parts;
    int64_t size = 0;
    bool dated = false;
    if (line.size() >= 6 && IsAs400Type(line[4]) && ParseSize(line[1], size) && AllDigits(line[1])) {
        // MM/DD/YY with slashes, DD.MM.YY with dots, as the system's date format says.
        if (!(ParseNumericDate(line[2], "/", false, parts) || ParseNumericDate(line[2], ".", true, parts)) ||
            !ParseClockTime(line[3], parts))
            return false;
        type = line[4];
        nameField = 5;
        dated = true;
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
    entry.dateTime = dated ? DateTimeOrZero(parts) : 0.0;
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
    return line.size() >= 2 && line[0] == "Name" && (line[1] == "VV.MM" || line[1] == "Size");
}

// "MEMBER1 01.01 2020/01/05 2020/01/05 12:34 10 10 0 USER" (name, version,
// created, changed date and time, ...); load modules and members without
// statistics show the name (and unrelated columns) only.
bool ParseMvsMemberLine(const FtpLine& line, FtpRawEntry& entry)
{
    if (line.size() < 1)
        return false;
    entry = FtpRawEntry{};
    entry.name = BytesOf(line[0]);
    DateTimeParts parts;
    if (line.size() >= 5 && ParseIsoDate(line[2], parts) && ParseIsoDate(line[3], parts) &&
        ParseClockTime(line[4], parts))
        entry.dateTime = DateTimeOrZero(parts);
    return true;
}
