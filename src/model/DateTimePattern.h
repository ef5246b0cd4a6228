#pragma once

#include "model/DateTime.h"

#include <QLocale>
#include <QString>
#include <array>
#include <vector>

// A date/time pattern in QLocale's notation ("dddd, d MMMM yyyy", "h:mm AP", quoted
// literals in '...'), parsed once so that formatting a value costs no more than
// appending its fields: QLocale::toString with a QDateTime takes several
// microseconds per call here, too slow for reports of a million rows. Names of days,
// months and the AM/PM texts come from the locale given at construction. The zone
// token "t" writes nothing: the values are local wall-clock times without a zone.
// clang-tidy 14 reports a reserved name from code the compiler generates for this class.
class TDateTimePattern { // NOLINT(bugprone-reserved-identifier)
public:
    TDateTimePattern() = default;
    TDateTimePattern(const QString& pattern, const QLocale& locale);

    // Appends the formatted value; a value outside the years 1 to 9999 (or NaN, as a
    // damaged file may hold) appends nothing.
    void appendTo(QString& out, double dateTime) const;
    QString format(double dateTime) const;
    void appendTo(QString& out, const DateTimeParts& parts) const;

    bool isEmpty() const { return m_tokens.empty(); }

    // The text quoted so that the pattern language takes it literally.
    static QString quoted(const QString& literal);

private:
    enum class TField {
        Literal,
        Day,
        Day2,
        DayShortName,
        DayLongName,
        Month,
        Month2,
        MonthShortName,
        MonthLongName,
        Year2,
        Year4,
        Hour24,
        Hour24x2,
        Hour12,
        Hour12x2,
        Minute,
        Minute2,
        Second,
        Second2,
        Msec,
        Msec3,
        AmPmUpper,
        AmPmLower
    };
    struct TToken {
        TField field;
        QString literal;
    };

    void addLiteral(const QString& text);
    void add(TField field) { m_tokens.push_back({field, QString()}); }

    std::vector<TToken> m_tokens;
    bool m_twelveHour = false;
    QString m_dayShort[7], m_dayLong[7], m_monthShort[12], m_monthLong[12];
    QString m_amUpper, m_pmUpper, m_amLower, m_pmLower;
    // The locale's digits for 0..99, plain and zero-padded to two places.
    std::array<QString, 100> m_plain, m_padded;
};
