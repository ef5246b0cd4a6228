#pragma once

#include <QDateTime>
#include <cstdint>

// TDateTime values: days since 1899-12-30, the fraction being the time of day (for
// dates before 1899-12-30 the fraction's absolute value is the time). All values
// hold local wall-clock time.
struct DateTimeParts {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0, msec = 0;
};

// False (and nothing written) for fields outside the calendar.
bool TryEncodeDateTime(const DateTimeParts& parts, double& dateTime);
double EncodeDateTime(const DateTimeParts& parts); // 0 for invalid fields
DateTimeParts DecodeDateTime(double dateTime);

double DateTimeFromQDateTime(const QDateTime& local);
QDateTime QDateTimeFromDateTime(double dateTime); // local time
double NowDateTime();

// MS-DOS date/time: date in the high 16 bits (year - 1980 in bits 9-15, month 5-8,
// day 0-4), time in the low 16 (hours 11-15, minutes 5-10, seconds / 2 in 0-4).
// Years outside 1980-2107 pack to 0; the odd second is dropped.
int32_t DateTimeToFileDate(double dateTime);
// The reverse; a packed value whose fields are no valid date or time gives 0.
double FileDateToDateTime(int32_t fileDate);
// A file system time (seconds since the Unix epoch) as local time, packed.
int32_t UnixTimeToFileDate(int64_t secondsSinceEpoch);
// Whether a packed date/time lies in [from, to], both inclusive. Compared as
// unsigned values, which orders packed dates chronologically through 2107; as
// signed values every date from 2044 on (bit 31 set) would sort before 1980.
bool FileDateInRange(int32_t fileDate, int32_t from, int32_t to);
