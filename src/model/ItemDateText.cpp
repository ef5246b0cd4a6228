#include "model/ItemDateText.h"

#include "model/LocaleFormats.h"

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
