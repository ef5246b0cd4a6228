#pragma once

#include "model/DateTime.h"

#include <QByteArray>

#include <cstdint>
#include <string_view>
#include <vector>

// Small pieces shared by the LIST line parsers.

// A blank-separated field of a line and where it starts, so that a name holding
// blanks can be cut from the original line.
struct FtpField {
    std::string_view text;
    size_t offset = 0;
};

// A line of a LIST reply (without its line end) and its fields.
struct FtpLine {
    std::string_view text;
    std::vector<FtpField> fields;

    explicit FtpLine(std::string_view line);
    size_t size() const { return fields.size(); }
    std::string_view operator[](size_t index) const { return fields[index].text; }
    // The rest of the line from the start of field `index` (blanks before it skipped).
    std::string_view restFrom(size_t index) const;
    // The rest of the line after field `index`, leading blanks skipped.
    std::string_view restAfter(size_t index) const;
};

bool IsFtpBlank(char c);
QByteArray BytesOf(std::string_view text);
bool AllDigits(std::string_view text);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);
bool EqualsNoCase(std::string_view a, std::string_view b);

// Decimal digits, optionally grouped with ',' (some servers print 1,234,567);
// values past INT64_MAX saturate. False for anything else.
bool ParseSize(std::string_view text, int64_t& value);
// A small decimal number of 1 to `maxDigits` digits.
bool ParseSmallNumber(std::string_view text, size_t maxDigits, int& value);

// "Jan" .. "Dec" in any case; 0 when the text is no English month abbreviation.
int MonthFromName(std::string_view text);

// "HH:MM", "HH:MM:SS" or "HH:MM:SS.fraction" (fraction of any length).
bool ParseClockTime(std::string_view text, DateTimeParts& parts);
// Applies "AM"/"PM" (any case) to a 12-hour clock time; false for other texts or
// hours outside 1..12.
bool ApplyMeridiem(std::string_view meridiem, DateTimeParts& parts);

// Numeric dates with one separator kind out of `separators`: month/day/year
// ("01-05-20", "01/05/2020") and, when `dayFirst`, day/month/year. Years of
// two digits are taken as 1970-2069.
bool ParseNumericDate(std::string_view text, std::string_view separators, bool dayFirst, DateTimeParts& parts);
// "2020-01-05" and "2020/01/05".
bool ParseIsoDate(std::string_view text, DateTimeParts& parts);
int FullYear(int year);

// The year for a date shown without one (Unix listings of recent files): the most
// recent year in which the date exists and lies no more than a day after `now`.
int MostRecentYear(const DateTimeParts& date, const DateTimeParts& now);

// The date-time value of the parts, 0 when they name no real date or time.
double DateTimeOrZero(const DateTimeParts& parts);
// Seconds since the Unix epoch (UTC) as a local date-time value.
double LocalDateTimeFromUnixTime(int64_t seconds);
