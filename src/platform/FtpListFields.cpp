#include "platform/FtpListFields.h"

#include <QDateTime>
#include <array>
#include <limits>

FtpLine::FtpLine(std::string_view line) : text(line)
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

bool ParseSize(std::string_view text, uint64_t& value)
{
    if (text.empty() || text.front() == ',' || text.back() == ',')
        return false;
    constexpr uint64_t kMax = std::numeric_limits<uint64_t>::max();
    uint64_t result = 0;
    for (char c : text) {
        if (c == ',')
            continue;
        if (c < '0' || c > '9')
            return false;
        const auto digit = static_cast<uint64_t>(c - '0');
        result = result > (kMax - digit) / 10 ? kMax : result * 10 + digit;
    }
    value = result;
    return true;
}

uint64_t SaturatingProduct(uint64_t count, uint64_t unit)
{
    constexpr uint64_t kMax = std::numeric_limits<uint64_t>::max();
    return unit != 0 && count > kMax / unit ? kMax : count * unit;
}

bool ParseSizeWithUnit(std::string_view text, uint64_t& value)
{
    if (ParseSize(text, value))
        return true;
    size_t unitStart = text.find_first_not_of("0123456789,.");
    if (unitStart == 0 || unitStart == std::string_view::npos)
        return false;
    std::string_view unit = text.substr(unitStart);
    if (unit.size() == 2 && (unit[1] == 'B' || unit[1] == 'b'))
        unit.remove_suffix(1);
    static constexpr std::string_view kUnits = "KMGT";
    const size_t power = unit.size() == 1 ? kUnits.find(UpperAscii(unit[0])) : std::string_view::npos;
    if (power == std::string_view::npos)
        return false;
    const std::string_view number = text.substr(0, unitStart);
    const size_t dot = number.find('.');
    uint64_t whole = 0;
    if (!ParseSize(number.substr(0, dot), whole))
        return false;
    const uint64_t multiplier = uint64_t(1) << (10 * (power + 1));
    uint64_t result = SaturatingProduct(whole, multiplier);
    if (dot != std::string_view::npos) {
        // A fraction of up to three digits ("1.5K", "2.25M"): enough for a size
        // that is only ever shown rounded.
        const std::string_view fraction = number.substr(dot + 1).substr(0, 3);
        int digits = 0;
        if (!fraction.empty() && !ParseSmallNumber(fraction, 3, digits))
            return false;
        uint64_t scale = 1;
        for (size_t i = 0; i < fraction.size(); ++i)
            scale *= 10;
        const uint64_t part = SaturatingProduct(static_cast<uint64_t>(digits), multiplier) / scale;
        result = result > std::numeric_limits<uint64_t>::max() - part ? std::numeric_limits<uint64_t>::max()
                                                                      : result + part;
    }
    value = result;
    return true;
}

bool ParseHexSize(std::string_view text, uint64_t& value)
{
    if (text.empty() || text.size() > 32)
        return false;
    uint64_t result = 0;
    for (char c : text) {
        const char upper = UpperAscii(c);
        const int digit = upper >= '0' && upper <= '9'   ? upper - '0'
                          : upper >= 'A' && upper <= 'F' ? upper - 'A' + 10
                                                         : -1;
        if (digit < 0)
            return false;
        result = result > (std::numeric_limits<uint64_t>::max() >> 4)
                     ? std::numeric_limits<uint64_t>::max()
                     : (result << 4) | static_cast<uint64_t>(digit);
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

bool ParseClockTime(std::string_view text, DateTimeParts& parts)
{
    const size_t colon = text.find(':');
    if (colon == std::string_view::npos)
        return false;
    int hour = 0, minute = 0, second = 0;
    if (!ParseSmallNumber(text.substr(0, colon), 2, hour) || hour > 24)
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
    if (hour == 24 && (minute != 0 || second != 0))
        return false;
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
    if (year >= 1000)
        return year;
    if (year >= 100)
        return 1900 + year; // years counted from 1900, as C's struct tm keeps them
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
    std::string_view lastText = text.substr(second + 1);
    // "05.01.2020." and "2020.01.05." (a closing dot) read like the plain forms.
    if (separator == '.' && !lastText.empty() && lastText.back() == '.')
        lastText.remove_suffix(1);
    const std::string_view firstText = text.substr(0, first);
    const std::string_view middleText = text.substr(first + 1, second - first - 1);
    int a = 0, b = 0, c = 0;
    if (!ParseSmallNumber(firstText, 4, a) || !ParseSmallNumber(middleText, 2, b) ||
        !ParseSmallNumber(lastText, 4, c))
        return false;
    int year = 0, month = 0, day = 0;
    if (firstText.size() >= 3) {
        if (lastText.size() > 2)
            return false;
        year = a;
        month = b;
        day = c;
    } else {
        if (lastText.size() < 2)
            return false;
        const bool dayIsFirst = a > 12 ? true : b > 12 ? false : dayFirst;
        year = c;
        month = dayIsFirst ? b : a;
        day = dayIsFirst ? a : b;
    }
    if (month < 1 || month > 12 || day < 1 || day > 31)
        return false;
    parts.year = FullYear(year);
    parts.month = month;
    parts.day = day;
    return true;
}

bool ParseDashedMonthDate(std::string_view text, DateTimeParts& parts)
{
    const size_t first = text.find('-');
    const size_t second = first == std::string_view::npos ? first : text.find('-', first + 1);
    if (second == std::string_view::npos)
        return false;
    std::string_view dayText = text.substr(0, first);
    int month = MonthFromName(text.substr(first + 1, second - first - 1));
    if (month == 0) {
        month = MonthFromName(dayText);
        dayText = text.substr(first + 1, second - first - 1);
    }
    int day = 0, year = 0;
    const std::string_view yearText = text.substr(second + 1);
    if (month == 0 || !ParseSmallNumber(dayText, 2, day) || day < 1 || day > 31 || yearText.size() < 2 ||
        !ParseSmallNumber(yearText, 4, year))
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
        if (TryEncodeListedTime(candidate, value) && value <= limit)
            return year;
    }
    return now.year;
}

bool TryEncodeListedTime(const DateTimeParts& parts, double& value)
{
    if (parts.hour != 24)
        return TryEncodeDateTime(parts, value);
    DateTimeParts midnight = parts;
    midnight.hour = 0;
    if (!TryEncodeDateTime(midnight, value))
        return false;
    value += 1.0;
    return true;
}

double DateTimeOrZero(const DateTimeParts& parts)
{
    double value = 0;
    return TryEncodeListedTime(parts, value) ? value : 0.0;
}

double LocalDateTimeFromUnixTime(int64_t seconds)
{
    return DateTimeFromQDateTime(QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC));
}
