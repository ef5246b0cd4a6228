#include "platform/FtpListFields.h"

#include <QDateTime>

#include <array>
#include <limits>

FtpLine::FtpLine(std::string_view line)
    : text(line)
{
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && IsFtpBlank(line[i]))
            ++i;
        const size_t start = i;
        while (i < line.size() && !IsFtpBlank(line[i]))
            ++i;
        if (i > start)
            fields.push_back({line.substr(start, i - start), start});
    }
}

std::string_view FtpLine::restFrom(size_t index) const
{
    return index < fields.size() ? text.substr(fields[index].offset) : std::string_view();
}

std::string_view FtpLine::restAfter(size_t index) const
{
    if (index >= fields.size())
        return {};
    size_t i = fields[index].offset + fields[index].text.size();
    while (i < text.size() && IsFtpBlank(text[i]))
        ++i;
    return text.substr(i);
}

bool IsFtpBlank(char c)
{
    return c == ' ' || c == '\t';
}

QByteArray BytesOf(std::string_view text)
{
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

bool AllDigits(std::string_view text)
{
    if (text.empty())
        return false;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

namespace {

char UpperAscii(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

} // namespace

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (UpperAscii(a[i]) != UpperAscii(b[i]))
            return false;
    }
    return true;
}

bool ParseSize(std::string_view text, int64_t& value)
{
    if (text.empty() || text.front() == ',' || text.back() == ',')
        return false;
    constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
    int64_t result = 0;
    for (char c : text) {
        if (c == ',')
            continue;
        if (c < '0' || c > '9')
            return false;
        const int digit = c - '0';
        result = result > (kMax - digit) / 10 ? kMax : result * 10 + digit;
    }
    value = result;
    return true;
}

bool ParseSmallNumber(std::string_view text, size_t maxDigits, int& value)
{
    if (text.size() > maxDigits || !AllDigits(text))
        return false;
    int result = 0;
    for (char c : text)
        result = result * 10 + (c - '0');
    value = result;
    return true;
}

int MonthFromName(std::string_view text)
{
    static constexpr std::array<std::string_view, 12> kMonths = {
        "JAN", "FEB", "MAR", "APR", "MAY", "JUN", "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
    if (text.size() != 3)
        return 0;
    for (size_t i = 0; i < kMonths.size(); ++i) {
        if (EqualsNoCase(text, kMonths[i]))
            return static_cast<int>(i) + 1;
    }
    return 0;
}

bool ParseClockTime(std::string_view text, DateTimeParts& parts)
{
    const size_t colon = text.find(':');
    if (colon == std::string_view::npos)
        return false;
    int hour = 0, minute = 0, second = 0;
    if (!ParseSmallNumber(text.substr(0, colon), 2, hour) || hour > 23)
        return false;
    std::string_view rest = text.substr(colon + 1);
    const size_t secondColon = rest.find(':');
    if (!ParseSmallNumber(rest.substr(0, secondColon), 2, minute) || minute > 59 ||
        rest.substr(0, secondColon).size() != 2)
        return false;
    if (secondColon != std::string_view::npos) {
        std::string_view secondsText = rest.substr(secondColon + 1);
        const size_t dot = secondsText.find('.');
        if (dot != std::string_view::npos) {
            if (!AllDigits(secondsText.substr(dot + 1)))
                return false;
            secondsText = secondsText.substr(0, dot);
        }
        if (secondsText.size() != 2 || !ParseSmallNumber(secondsText, 2, second) || second > 59)
            return false;
    }
    parts.hour = hour;
    parts.minute = minute;
    parts.second = second;
    parts.msec = 0;
    return true;
}

bool ApplyMeridiem(std::string_view meridiem, DateTimeParts& parts)
{
    const bool am = EqualsNoCase(meridiem, "AM");
    const bool pm = EqualsNoCase(meridiem, "PM");
    if ((!am && !pm) || parts.hour < 1 || parts.hour > 12)
        return false;
    // 12:xxAM is just after midnight, 12:xxPM just after noon.
    parts.hour = parts.hour % 12 + (pm ? 12 : 0);
    return true;
}

int FullYear(int year)
{
    if (year >= 100)
        return year;
    return year < 70 ? 2000 + year : 1900 + year;
}

bool ParseNumericDate(std::string_view text, std::string_view separators, bool dayFirst, DateTimeParts& parts)
{
    const size_t first = text.find_first_of(separators);
    if (first == std::string_view::npos)
        return false;
    const char separator = text[first];
    const size_t second = text.find(separator, first + 1);
    if (second == std::string_view::npos)
        return false;
    int a = 0, b = 0, year = 0;
    const std::string_view yearText = text.substr(second + 1);
    if (!ParseSmallNumber(text.substr(0, first), 2, a) ||
        !ParseSmallNumber(text.substr(first + 1, second - first - 1), 2, b) ||
        (yearText.size() != 2 && yearText.size() != 4) || !ParseSmallNumber(yearText, 4, year))
        return false;
    const int month = dayFirst ? b : a;
    const int day = dayFirst ? a : b;
    if (month < 1 || month > 12 || day < 1 || day > 31)
        return false;
    parts.year = FullYear(year);
    parts.month = month;
    parts.day = day;
    return true;
}

bool ParseIsoDate(std::string_view text, DateTimeParts& parts)
{
    if (text.size() != 10 || (text[4] != '-' && text[4] != '/') || text[7] != text[4])
        return false;
    int year = 0, month = 0, day = 0;
    if (!ParseSmallNumber(text.substr(0, 4), 4, year) || !ParseSmallNumber(text.substr(5, 2), 2, month) ||
        !ParseSmallNumber(text.substr(8, 2), 2, day) || month < 1 || month > 12 || day < 1 || day > 31)
        return false;
    parts.year = year;
    parts.month = month;
    parts.day = day;
    return true;
}

int MostRecentYear(const DateTimeParts& date, const DateTimeParts& now)
{
    const double limit = DateTimeOrZero(now) + 1.0;
    DateTimeParts candidate = date;
    // Eight years back always reaches a leap year, so 29 February finds one too.
    for (int year = now.year + 1; year >= now.year - 8; --year) {
        candidate.year = year;
        double value = 0;
        if (TryEncodeDateTime(candidate, value) && value <= limit)
            return year;
    }
    return now.year;
}

double DateTimeOrZero(const DateTimeParts& parts)
{
    double value = 0;
    return TryEncodeDateTime(parts, value) ? value : 0.0;
}

double LocalDateTimeFromUnixTime(int64_t seconds)
{
    return DateTimeFromQDateTime(QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC));
}
