#pragma once

#include "model/DateTimePattern.h"
#include "model/ItemRecord.h"

#include <QLocale>

// The date column of the results view and of reports, by the "DateFormat" setting:
// 0 short date, 1 long date, 2 short date and short time, 3 long date and long time,
// each in the given locale; any other value gives an empty text. Build one formatter
// per view refresh or report and reuse it for every row.
class TItemDateFormatter {
public:
    explicit TItemDateFormatter(int dateFormat, const QLocale& locale = QLocale());

    QString text(const TItemRecord& item) const { return m_pattern.format(item.DateTime); }
    void appendTo(QString& out, const TItemRecord& item) const { m_pattern.appendTo(out, item.DateTime); }

private:
    TDateTimePattern m_pattern;
};

QString ItemDateText(const TItemRecord& item, int dateFormat, const QLocale& locale = QLocale());

// The record's date and time in ISO 8601 with the local offset from UTC at that
// moment ("2024-03-01T14:05:09+01:00"), for output that programs read.
QString ItemIsoDateText(const TItemRecord& item);
