#include "model/DateTime.h"

#include <cmath>
#include <ctime>

namespace {

constexpr int64_t kMsecsPerDay = 86400000;

// Days from 1970-01-01 to the civil date (proleptic Gregorian).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int& year, int& month, int& day)
{
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(static_cast<int64_t>(yoe) + era * 400 + (month <= 2));
}

const int64_t kEpochOffset = DaysFromCivil(1899, 12, 30); // TDateTime day 0 in Unix days

bool IsLeap(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month)
{
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeap(year) ? 29 : kDays[month - 1];
}

} // namespace

bool TryEncodeDateTime(const DateTimeParts& p, double& dateTime)
{
    if (p.year < 1 || p.year > 9999 || p.month < 1 || p.month > 12 || p.day < 1 ||
        p.day > DaysInMonth(p.year, p.month) || p.hour < 0 || p.hour > 23 || p.minute < 0 || p.minute > 59 ||
        p.second < 0 || p.second > 59 || p.msec < 0 || p.msec > 999)
        return false;
    const double date = static_cast<double>(DaysFromCivil(p.year, p.month, p.day) - kEpochOffset);
    const double time =
        static_cast<double>(((p.hour * 60 + p.minute) * 60 + p.second) * 1000 + p.msec) / kMsecsPerDay;
    dateTime = date < 0 ? date - time : date + time;
    return true;
}

double EncodeDateTime(const DateTimeParts& parts)
{
    double value = 0;
    return TryEncodeDateTime(parts, value) ? value : 0.0;
}

DateTimeParts DecodeDateTime(double dateTime)
{
    int64_t days;
    int64_t msecs;
    if (dateTime >= 0) {
        const auto total = static_cast<int64_t>(std::llround(dateTime * kMsecsPerDay));
        days = total / kMsecsPerDay;
        msecs = total % kMsecsPerDay;
    } else {
        const double whole = std::trunc(dateTime);
        days = static_cast<int64_t>(whole);
        msecs = std::min<int64_t>(std::llround(std::fabs(dateTime - whole) * kMsecsPerDay), kMsecsPerDay - 1);
    }
    DateTimeParts parts;
    CivilFromDays(days + kEpochOffset, parts.year, parts.month, parts.day);
    parts.hour = static_cast<int>(msecs / 3600000);
    parts.minute = static_cast<int>(msecs / 60000 % 60);
    parts.second = static_cast<int>(msecs / 1000 % 60);
    parts.msec = static_cast<int>(msecs % 1000);
    return parts;
}

double DateTimeFromQDateTime(const QDateTime& local)
{
    const QDateTime value = local.toLocalTime();
    const QDate d = value.date();
    const QTime t = value.time();
    return EncodeDateTime({d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second(), t.msec()});
}

QDateTime QDateTimeFromDateTime(double dateTime)
{
    const DateTimeParts p = DecodeDateTime(dateTime);
    return QDateTime(QDate(p.year, p.month, p.day), QTime(p.hour, p.minute, p.second, p.msec));
}

double NowDateTime()
{
    return DateTimeFromQDateTime(QDateTime::currentDateTime());
}

int32_t DateTimeToFileDate(double dateTime)
{
    const DateTimeParts p = DecodeDateTime(dateTime);
    if (p.year < 1980 || p.year > 2107)
        return 0;
    const uint32_t date = static_cast<uint32_t>(((p.year - 1980) << 9) | (p.month << 5) | p.day);
    const uint32_t time = static_cast<uint32_t>((p.hour << 11) | (p.minute << 5) | (p.second / 2));
    return static_cast<int32_t>((date << 16) | time);
}

double FileDateToDateTime(int32_t fileDate)
{
    const auto packed = static_cast<uint32_t>(fileDate);
    const uint32_t date = packed >> 16;
    const uint32_t time = packed & 0xFFFF;
    DateTimeParts p;
    p.year = static_cast<int>((date >> 9) + 1980);
    p.month = static_cast<int>((date >> 5) & 0x0F);
    p.day = static_cast<int>(date & 0x1F);
    p.hour = static_cast<int>(time >> 11);
    p.minute = static_cast<int>((time >> 5) & 0x3F);
    p.second = static_cast<int>((time & 0x1F) * 2);
    return EncodeDateTime(p);
}

int32_t UnixTimeToFileDate(int64_t secondsSinceEpoch)
{
    const auto seconds = static_cast<time_t>(secondsSinceEpoch);
    struct tm local {};
    if (!localtime_r(&seconds, &local))
        return 0;
    return DateTimeToFileDate(EncodeDateTime({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                                              local.tm_hour, local.tm_min, local.tm_sec, 0}));
}

bool FileDateInRange(int32_t fileDate, int32_t from, int32_t to)
{
    const auto value = static_cast<uint32_t>(fileDate);
    return static_cast<uint32_t>(from) <= value && value <= static_cast<uint32_t>(to);
}
