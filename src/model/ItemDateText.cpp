#include "model/ItemDateText.h"

#include "model/DateTime.h"
#include "model/LocaleFormats.h"

#include <QTimeZone>

namespace {

QString PatternFor(int dateFormat, const QLocale& locale)
{
    switch (dateFormat) {
    case 0:
        return locale.dateFormat(QLocale::ShortFormat);
    case 1:
        return locale.dateFormat(QLocale::LongFormat);
    case 2:
        return locale.dateFormat(QLocale::ShortFormat) + u' ' + LocaleShortTimePattern(locale);
    case 3:
        return locale.dateFormat(QLocale::LongFormat) + u' ' + LocaleLongTimePattern(locale);
    default:
        return QString();
    }
}

} // namespace

TItemDateFormatter::TItemDateFormatter(int dateFormat, const QLocale& locale)
    : m_pattern(PatternFor(dateFormat, locale), locale)
{
}

QString ItemDateText(const TItemRecord& item, int dateFormat, const QLocale& locale)
{
    return TItemDateFormatter(dateFormat, locale).text(item);
}

QString ItemIsoDateText(const TItemRecord& item)
{
    const QDateTime local = QDateTimeFromDateTime(item.DateTime);
    // Pinned to its offset, so that the text carries "+hh:mm" (or "Z") whatever the
    // local zone's rules print.
    const QDateTime pinned(local.date(), local.time(), QTimeZone(local.offsetFromUtc()));
    return pinned.toString(Qt::ISODate);
}
