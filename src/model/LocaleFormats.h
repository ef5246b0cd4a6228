#pragma once

#include <QLocale>
#include <QString>

// Locale settings the program's texts follow where Windows has a system setting of
// its own that Qt does not offer.

// The list separator of CSV files: ';' where the decimal separator is a comma (so
// that "1,5" stays one field), ',' otherwise.
QChar LocaleListSeparator(const QLocale& locale);

// The separator between hours and minutes of the locale's time format (":" in most
// locales, "." in Finnish); ":" when the format shows none.
QString LocaleTimeSeparator(const QLocale& locale);

// The locale's long time format without its time-zone token: times of results are
// local wall-clock times that carry no zone.
QString LocaleLongTimePattern(const QLocale& locale);
QString LocaleShortTimePattern(const QLocale& locale);
