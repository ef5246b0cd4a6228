#include "model/DelimitedText.h"

namespace {

bool IsBlankOrControl(QChar ch)
{
    return ch.unicode() >= 1 && ch.unicode() <= 32;
}

// Reads a quoted item starting at the opening quote; stops after the closing quote
// or at the end of the text. A doubled quote inside stands for one quote.
QString ExtractQuoted(const QString& text, qsizetype& pos, QChar quote)
{
    QString item;
    ++pos; // opening quote
    while (pos < text.size() && text.at(pos) != u'\0') {
        const QChar ch = text.at(pos);
        if (ch == quote) {
            if (pos + 1 < text.size() && text.at(pos + 1) == quote) {
                item += quote;
                pos += 2;
                continue;
            }
            ++pos; // closing quote
            break;
        }
        item += ch;
        ++pos;
    }
    return item;
}

} // namespace

QString JoinDelimitedText(const QStringList& items, QChar delimiter, QChar quote)
{
    if (items.size() == 1 && items.first().isEmpty())
        return QString(2, quote);
    QString result;
    for (qsizetype i = 0; i < items.size(); ++i) {
        const QString& item = items.at(i);
        bool needsQuotes = false;
        for (const QChar ch : item) {
            if (ch == u'\0')
                break;
            if (ch == quote || ch == delimiter || IsBlankOrControl(ch)) {
                needsQuotes = true;
                break;
            }
        }
        if (i > 0)
            result += delimiter;
        if (needsQuotes) {
            QString doubled = item;
            doubled.replace(quote, QString(2, quote));
            result += quote + doubled + quote;
        } else {
            result += item;
        }
    }
    return result;
}

QStringList SplitDelimitedText(const QString& text, QChar delimiter, QChar quote)
{
    // A delimiter that is itself a blank or control character (a tab) separates items
    // like any other; only the remaining blanks are skipped, so "a<TAB><TAB>b" keeps
    // its empty middle item.
    const auto isSkipped = [delimiter](QChar ch) { return IsBlankOrControl(ch) && ch != delimiter; };
    QStringList items;
    const qsizetype end = [&] {
        const qsizetype nul = text.indexOf(u'\0');
        return nul < 0 ? text.size() : nul;
    }();
    qsizetype pos = 0;
    while (pos < end && isSkipped(text.at(pos)))
        ++pos;
    while (pos < end) {
        if (text.at(pos) == quote) {
            items.append(ExtractQuoted(text.left(end), pos, quote));
        } else {
            const qsizetype start = pos;
            while (pos < end && text.at(pos).unicode() > 32 && text.at(pos) != delimiter)
                ++pos;
            items.append(text.mid(start, pos - start));
        }
        while (pos < end && isSkipped(text.at(pos)))
            ++pos;
        if (pos < end && text.at(pos) == delimiter) {
            if (pos + 1 == end)
                items.append(QString());
            do {
                ++pos;
            } while (pos < end && isSkipped(text.at(pos)));
        }
    }
    return items;
}
