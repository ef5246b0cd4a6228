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
// values past UINT64_MAX saturate. False for anything else.
bool ParseSize(std::string_view text, uint64_t& value);
// A size as above or with a binary unit: "12k", "1.5K", "3KB", "2M", "1.2MB",
// "4G", "1T" (any case, 1024-based). Saturates like ParseSize.
bool ParseSizeWithUnit(std::string_view text, uint64_t& value);
// `count` * `unit`, saturating at UINT64_MAX.
uint64_t SaturatingProduct(uint64_t count, uint64_t unit);
// Hexadecimal digits (any case), saturating like ParseSize.
bool ParseHexSize(std::string_view text, uint64_t& value);
// A small decimal number of 1 to `maxDigits` digits.
bool ParseSmallNumber(std::string_view text, size_t maxDigits, int& value);

// A month name as listings print it in many languages (English, German,
// Hungarian, French, Spanish, Italian, Portuguese, Dutch, the Scandinavian ones,
// Finnish, Polish, Czech, Russian), full or abbreviated, in any case, in UTF-8
// or Latin-1, with a trailing '.' or ',' ignored; also the CJK and Korean forms
// "1月" and "1월". 0 when the text names no month.
int MonthFromName(std::string_view text);
// A day of the month: "5", "05", "5.", "5," and the CJK/Korean "5日", "5일".
bool ParseDayOfMonth(std::string_view text, int& day);

// "HH:MM", "HH:MM:SS" or "HH:MM:SS.fraction" (fraction of any length); "24:00"
// is midnight at the end of the day.
bool ParseClockTime(std::string_view text, DateTimeParts& parts);
// Applies "AM"/"PM" (any case) to a 12-hour clock time; false for other texts or
// hours outside 1..12.
bool ApplyMeridiem(std::string_view meridiem, DateTimeParts& parts);

// Numeric dates with one separator kind out of `separators`: year first when
// the first part has three or four digits ("2020-01-05"), else month/day/year
// or day/month/year. The values decide the order where they can (a first part
// above 12 is a day, a second part above 12 is a day); `dayFirst` decides the
// rest. Years of two digits are taken as 1970-2069, of three as years counted
// from 1900.
bool ParseNumericDate(std::string_view text, std::string_view separators, bool dayFirst,
                      DateTimeParts& parts);
// "5-JAN-2020", "01-Oct-99" and, month first, "JAN-05-2020"; years as
// ParseNumericDate reads them.
bool ParseDashedMonthDate(std::string_view text, DateTimeParts& parts);
// "2020-01-05" and "2020/01/05".
bool ParseIsoDate(std::string_view text, DateTimeParts& parts);
int FullYear(int year);

// The year for a date shown without one (Unix listings of recent files): the most
// recent year in which the date exists and lies no more than a day after `now`.
int MostRecentYear(const DateTimeParts& date, const DateTimeParts& now);

// The date-time value of the parts, 0 when they name no real date or time. An
// hour of 24 (with zero minutes and seconds) is midnight of the next day.
double DateTimeOrZero(const DateTimeParts& parts);
bool TryEncodeListedTime(const DateTimeParts& parts, double& value);
// Seconds since the Unix epoch (UTC) as a local date-time value.
double LocalDateTimeFromUnixTime(int64_t seconds);
