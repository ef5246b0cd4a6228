#include "platform/FtpListFormats.h"

#include <QDateTime>

namespace {

// "20200105123456" or "20200105123456.123", always UTC.
bool ParseFactTime(std::string_view text, double& dateTime)
{
    const size_t dot = text.find('.');
    if (dot != std::string_view::npos) {
        if (!AllDigits(text.substr(dot + 1)))
            return false;
        text = text.substr(0, dot);
    }
    if (text.size() != 14 || !AllDigits(text))
        return false;
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    ParseSmallNumber(text.substr(0, 4), 4, year);
    ParseSmallNumber(text.substr(4, 2), 2, month);
    ParseSmallNumber(text.substr(6, 2), 2, day);
    ParseSmallNumber(text.substr(8, 2), 2, hour);
    ParseSmallNumber(text.substr(10, 2), 2, minute);
    ParseSmallNumber(text.substr(12, 2), 2, second);
    const QDateTime utc(QDate(year, month, day), QTime(hour, minute, second), Qt::UTC);
    if (!utc.isValid())
        return false;
    dateTime = DateTimeFromQDateTime(utc);
    return true;
}

bool IsFactName(std::string_view name)
{
    if (name.empty())
        return false;
    for (char c : name) {
        const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                        c == '.' || c == '-' || c == '_';
        if (!ok)
            return false;
    }
    return true;
}

void ApplyType(std::string_view type, FtpRawEntry& entry)
{
    // "OS.unix=slink:/target" and "OS.unix=symlink" name links; servers that
    // follow links report them as "dir" instead (the walk guards against that).
    if (StartsWithNoCase(type, "OS.unix=slink") || StartsWithNoCase(type, "OS.unix=symlink")) {
        entry.isSymlink = true;
        return;
    }
    entry.isDirectory = EqualsNoCase(type, "dir");
}

} // namespace

bool LooksLikeFactsLine(std::string_view line)
{
    const size_t equals = line.find('=');
    return equals != std::string_view::npos && equals < line.find_first_of(" ;") &&
           IsFactName(line.substr(0, equals));
}

bool ParseFactsLine(std::string_view line, FtpRawEntry& entry)
{
    entry = FtpRawEntry{};
    std::string_view type;
    size_t position = 0;
    // Each fact runs to its ';'; the facts end at a ';' followed by one blank, and
    // the rest of the line is the name (blanks and ';' included).
    while (position < line.size()) {
        const size_t end = line.find(';', position);
        if (end == std::string_view::npos)
            return false;
        const std::string_view fact = line.substr(position, end - position);
        const size_t equals = fact.find('=');
        if (equals == std::string_view::npos || !IsFactName(fact.substr(0, equals)))
            return false;
        const std::string_view name = fact.substr(0, equals);
        const std::string_view value = fact.substr(equals + 1);
        if (EqualsNoCase(name, "type")) {
            type = value;
        } else if (EqualsNoCase(name, "size") || (EqualsNoCase(name, "sizd") && entry.size == 0)) {
            // Strict: a list that lost its closing ';' ("size=5 name") ends
            // up here with the name inside the value.
            if (!AllDigits(value) || !ParseSize(value, entry.size))
                return false;
        } else if (EqualsNoCase(name, "modify")) {
            // A time the server could not give in full is a damaged line, not
            // an entry of 1899.
            if (!ParseFactTime(value, entry.dateTime))
                return false;
        } else if (EqualsNoCase(name, "unique")) {
            entry.uniqueId = BytesOf(value);
        }
        position = end + 1;
        if (position < line.size() && line[position] == ' ') {
            const std::string_view entryName = line.substr(position + 1);
            if (entryName.empty())
                return false;
            // The current and parent folder entries of an MLSD reply.
            if (EqualsNoCase(type, "cdir") || EqualsNoCase(type, "pdir"))
                return false;
            ApplyType(type, entry);
            entry.name = BytesOf(entryName);
            return true;
        }
    }
    return false;
}

bool ParseEplfLine(std::string_view line, FtpRawEntry& entry)
{
    if (line.size() < 3 || line[0] != '+')
        return false;
    const size_t tab = line.find('\t');
    if (tab == std::string_view::npos || tab + 1 >= line.size())
        return false;
    entry = FtpRawEntry{};
    std::string_view facts = line.substr(1, tab - 1);
    while (!facts.empty()) {
        const size_t comma = facts.find(',');
        const std::string_view fact = facts.substr(0, comma);
        facts = comma == std::string_view::npos ? std::string_view() : facts.substr(comma + 1);
        if (fact.empty())
            continue;
        const std::string_view value = fact.substr(1);
        switch (fact[0]) {
        case '/':
            entry.isDirectory = true;
            break;
        case 's':
            if (!ParseSize(value, entry.size))
                entry.size = 0;
            break;
        case 'm': {
            uint64_t seconds = 0;
            if (AllDigits(value) && value.size() <= 12 && ParseSize(value, seconds))
                entry.dateTime = LocalDateTimeFromUnixTime(static_cast<int64_t>(seconds));
            break;
        }
        case 'i':
            entry.uniqueId = BytesOf(value);
            break;
        default:
            break; // 'r' (retrievable), "up" (permissions): nothing the search uses
        }
    }
    entry.name = BytesOf(line.substr(tab + 1));
    return true;
}
