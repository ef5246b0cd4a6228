#include "model/LocaleFormats.h"

namespace {

// Removes the zone token 't' (outside quotes) and the blanks in front of it.
QString WithoutZone(const QString& pattern)
{
    QString result;
    bool quoted = false;
    for (const QChar ch : pattern) {
        if (ch == u'\'')
            quoted = !quoted;
        if (!quoted && ch == u't') {
            while (result.endsWith(u' '))
                result.chop(1);
            continue;
        }
        result += ch;
    }
    return result.trimmed();
}

} // namespace

QChar LocaleListSeparator(const QLocale& locale)
{
    return locale.decimalPoint() == QStringLiteral(",") ? u';' : u',';
}

QString LocaleTimeSeparator(const QLocale& locale)
{
    const QString pattern = locale.timeFormat(QLocale::ShortFormat);
    qsizetype at = 0;
    while (at < pattern.size() && pattern.at(at).toLower() != u'h')
        ++at;
    while (at < pattern.size() && pattern.at(at).toLower() == u'h')
        ++at;
    QString separator;
    while (at < pattern.size() && pattern.at(at) != u'm' && !pattern.at(at).isLetter() &&
           pattern.at(at) != u'\'')
        separator += pattern.at(at++);
    return separator.isEmpty() ? QStringLiteral(":") : separator;
}

QString LocaleLongTimePattern(const QLocale& locale)
{
    return WithoutZone(locale.timeFormat(QLocale::LongFormat));
}

QString LocaleShortTimePattern(const QLocale& locale)
{
    return WithoutZone(locale.timeFormat(QLocale::ShortFormat));
}
