#include "model/DateTimePattern.h"

#include <QDate>
#include <cstring>

namespace {

// Bounds (exclusive) of the TDateTime values of 0001-01-01 to 9999-12-31; times
// before 1899-12-30 count away from zero, so 0001-01-01 12:00 is -693593.5.
constexpr double kBeforeFirstDay = -693594.0;
constexpr double kPastLastDay = 2958466.0;

qsizetype RepeatCount(const QString& text, qsizetype at)
{
    qsizetype end = at + 1;
    while (end < text.size() && text.at(end) == text.at(at))
        ++end;
    return end - at;
}

// A quoted literal starting at the quote at 'at'; "''" stands for one quote, inside
// quotes as well as outside. Moves 'at' past the closing quote.
QString ReadQuoted(const QString& pattern, qsizetype& at)
{
    ++at;
    if (at < pattern.size() && pattern.at(at) == u'\'') {
        ++at;
        return QStringLiteral("'");
    }
    QString text;
    while (at < pattern.size()) {
        if (pattern.at(at) == u'\'') {
            if (at + 1 < pattern.size() && pattern.at(at + 1) == u'\'')
                ++at;
            else
                break;
        }
        text += pattern.at(at);
        ++at;
    }
    if (at < pattern.size())
        ++at;
    return text;
}

// Whether an AM/PM marker occurs outside quotes: then 'h' counts 1 to 12.
bool HasAmPm(const QString& pattern)
{
    qsizetype at = 0;
    while (at < pattern.size()) {
        if (pattern.at(at) == u'\'') {
            ReadQuoted(pattern, at);
            continue;
        }
        if (pattern.at(at).toLower() == u'a')
            return true;
        ++at;
    }
    return false;
}

} // namespace

TDateTimePattern::TDateTimePattern(const QString& pattern, const QLocale& locale)
    : m_twelveHour(HasAmPm(pattern))
{
    for (int i = 0; i < 7; ++i) {
        m_dayShort[i] = locale.dayName(i + 1, QLocale::ShortFormat);
        m_dayLong[i] = locale.dayName(i + 1, QLocale::LongFormat);
    }
    for (int i = 0; i < 12; ++i) {
        m_monthShort[i] = locale.monthName(i + 1, QLocale::ShortFormat);
        m_monthLong[i] = locale.monthName(i + 1, QLocale::LongFormat);
    }
    m_amUpper = locale.amText().toUpper();
    m_pmUpper = locale.pmText().toUpper();
    m_amLower = locale.amText().toLower();
    m_pmLower = locale.pmText().toLower();
    QLocale numbers = locale;
    numbers.setNumberOptions(QLocale::OmitGroupSeparator);
    for (int i = 0; i < 100; ++i) {
        m_plain[i] = numbers.toString(i);
        m_padded[i] = i < 10 ? numbers.toString(0) + m_plain[i] : m_plain[i];
    }

    qsizetype at = 0;
    while (at < pattern.size()) {
        const QChar ch = pattern.at(at);
        if (ch == u'\'') {
            addLiteral(ReadQuoted(pattern, at));
            continue;
        }
        qsizetype repeat = RepeatCount(pattern, at);
        switch (ch.unicode()) {
        case 'd':
            repeat = std::min<qsizetype>(repeat, 4);
            add(repeat == 1   ? TField::Day
                : repeat == 2 ? TField::Day2
                : repeat == 3 ? TField::DayShortName
                              : TField::DayLongName);
            break;
        case 'M':
            repeat = std::min<qsizetype>(repeat, 4);
            add(repeat == 1   ? TField::Month
                : repeat == 2 ? TField::Month2
                : repeat == 3 ? TField::MonthShortName
                              : TField::MonthLongName);
            break;
        case 'y':
            if (repeat >= 4) {
                repeat = 4;
                add(TField::Year4);
            } else if (repeat >= 2) {
                repeat = 2;
                add(TField::Year2);
            } else {
                addLiteral(QString(ch));
            }
            break;
        case 'h':
            repeat = std::min<qsizetype>(repeat, 2);
            if (m_twelveHour)
                add(repeat == 1 ? TField::Hour12 : TField::Hour12x2);
            else
                add(repeat == 1 ? TField::Hour24 : TField::Hour24x2);
            break;
        case 'H':
            repeat = std::min<qsizetype>(repeat, 2);
            add(repeat == 1 ? TField::Hour24 : TField::Hour24x2);
            break;
        case 'm':
            repeat = std::min<qsizetype>(repeat, 2);
            add(repeat == 1 ? TField::Minute : TField::Minute2);
            break;
        case 's':
            repeat = std::min<qsizetype>(repeat, 2);
            add(repeat == 1 ? TField::Second : TField::Second2);
            break;
        case 'z':
            repeat = repeat >= 3 ? 3 : 1;
            add(repeat == 3 ? TField::Msec3 : TField::Msec);
            break;
        case 'A':
        case 'a':
            repeat = (at + 1 < pattern.size() && pattern.at(at + 1).toLower() == u'p') ? 2 : 1;
            add(ch == u'A' ? TField::AmPmUpper : TField::AmPmLower);
            break;
        case 't':
            repeat = 1;
            break;
        default:
            addLiteral(QString(repeat, ch));
            break;
        }
        at += repeat;
    }
}

void TDateTimePattern::addLiteral(const QString& text)
{
    if (!m_tokens.empty() && m_tokens.back().field == TField::Literal)
        m_tokens.back().literal += text;
    else
        m_tokens.push_back({TField::Literal, text});
}

QString TDateTimePattern::quoted(const QString& literal)
{
    QString text = literal;
    text.replace(u'\'', QStringLiteral("''"));
    return u'\'' + text + u'\'';
}

void TDateTimePattern::appendTo(QString& out, double dateTime) const
{
    if (!(dateTime > kBeforeFirstDay && dateTime < kPastLastDay))
        return;
    appendTo(out, DecodeDateTime(dateTime));
}

QString TDateTimePattern::format(double dateTime) const
{
    QString text;
    appendTo(text, dateTime);
    return text;
}

void TDateTimePattern::appendTo(QString& out, const DateTimeParts& p) const
{
    // Collected in a local buffer and appended once: appending each field to the
    // QString costs more than formatting it.
    constexpr qsizetype kCapacity = 256;
    char16_t buffer[kCapacity];
    qsizetype used = 0;
    const auto put = [&](const QString& text) {
        if (used + text.size() > kCapacity) {
            out.append(reinterpret_cast<const QChar*>(buffer), used);
            used = 0;
            if (text.size() > kCapacity) {
                out += text;
                return;
            }
        }
        std::memcpy(buffer + used, text.constData(), static_cast<size_t>(text.size()) * sizeof(char16_t));
        used += text.size();
    };

    const int hour12 = p.hour % 12 == 0 ? 12 : p.hour % 12;
    for (const TToken& token : m_tokens) {
        switch (token.field) {
        case TField::Literal:
            put(token.literal);
            break;
        case TField::Day:
            put(m_plain[p.day % 100]);
            break;
        case TField::Day2:
            put(m_padded[p.day % 100]);
            break;
        case TField::DayShortName:
            put(m_dayShort[QDate(p.year, p.month, p.day).dayOfWeek() - 1]);
            break;
        case TField::DayLongName:
            put(m_dayLong[QDate(p.year, p.month, p.day).dayOfWeek() - 1]);
            break;
        case TField::Month:
            put(m_plain[p.month % 100]);
            break;
        case TField::Month2:
            put(m_padded[p.month % 100]);
            break;
        case TField::MonthShortName:
            put(m_monthShort[p.month - 1]);
            break;
        case TField::MonthLongName:
            put(m_monthLong[p.month - 1]);
            break;
        case TField::Year2:
            put(m_padded[p.year % 100]);
            break;
        case TField::Year4:
            put(m_padded[p.year / 100 % 100]);
            put(m_padded[p.year % 100]);
            break;
        case TField::Hour24:
            put(m_plain[p.hour]);
            break;
        case TField::Hour24x2:
            put(m_padded[p.hour]);
            break;
        case TField::Hour12:
            put(m_plain[hour12]);
            break;
        case TField::Hour12x2:
            put(m_padded[hour12]);
            break;
        case TField::Minute:
            put(m_plain[p.minute]);
            break;
        case TField::Minute2:
            put(m_padded[p.minute]);
            break;
        case TField::Second:
            put(m_plain[p.second]);
            break;
        case TField::Second2:
            put(m_padded[p.second]);
            break;
        case TField::Msec3:
        case TField::Msec: {
            QString ms = m_plain[p.msec / 100] + m_padded[p.msec % 100];
            if (token.field == TField::Msec) {
                // Qt's "z": the milliseconds as a decimal fraction, trailing zeros dropped.
                const QString& zero = m_plain[0];
                for (int i = 0; i < 2 && ms.endsWith(zero); ++i)
                    ms.chop(zero.size());
            }
            put(ms);
            break;
        }
        case TField::AmPmUpper:
            put(p.hour < 12 ? m_amUpper : m_pmUpper);
            break;
        case TField::AmPmLower:
            put(p.hour < 12 ? m_amLower : m_pmLower);
            break;
        }
    }
    out.append(reinterpret_cast<const QChar*>(buffer), used);
}
