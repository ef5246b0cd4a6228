#include "update/VersionText.h"

#include "model/AnsiCodec.h"
#include "model/Error.h"

#include <QStringList>

namespace {

bool IsSeparatorBlank(QChar ch)
{
    return ch.unicode() <= 32;
}

bool IsDecimalNumber(const QString& item)
{
    if (item.isEmpty())
        return false;
    for (const QChar ch : item) {
        if (ch < u'0' || ch > u'9')
            return false;
    }
    return true;
}

// Items of a delimited text: "." separates, so do runs of blanks and control
// characters; "a..b" and a trailing "." give empty items; a quoted part is one item.
QStringList SplitVersionItems(const QString& text)
{
    QStringList items;
    qsizetype at = 0;
    const qsizetype length = text.size();
    const auto skipBlanks = [&] {
        while (at < length && IsSeparatorBlank(text.at(at)))
            ++at;
    };
    skipBlanks();
    while (at < length) {
        QString item;
        if (text.at(at) == u'"') {
            ++at;
            while (at < length) {
                if (text.at(at) == u'"') {
                    if (at + 1 < length && text.at(at + 1) == u'"') {
                        item += u'"';
                        at += 2;
                        continue;
                    }
                    ++at;
                    break;
                }
                item += text.at(at++);
            }
        } else {
            const qsizetype start = at;
            while (at < length && !IsSeparatorBlank(text.at(at)) && text.at(at) != u'.')
                ++at;
            item = text.mid(start, at - start);
        }
        items.append(item);
        skipBlanks();
        if (at < length && text.at(at) == u'.') {
            if (at + 1 == length)
                items.append(QString());
            ++at;
            skipBlanks();
        }
    }
    return items;
}

} // namespace

QString VersionText(unsigned major, unsigned minor, unsigned release)
{
    if (release == 0)
        return QStringLiteral("%1.%2").arg(major).arg(minor);
    return QStringLiteral("%1.%2.%3").arg(major).arg(minor).arg(release);
}

QString LocalVersionText()
{
    return VersionText(KESTROVA_VERSION_MAJOR, KESTROVA_VERSION_MINOR, KESTROVA_VERSION_RELEASE);
}

// Exact text: the About box and the view's version caption; the version text and
// view command tests compare it.
QString VersionCaption()
{
    return QStringLiteral("Version %1.%2 Release %3")
        .arg(KESTROVA_VERSION_MAJOR)
        .arg(KESTROVA_VERSION_MINOR)
        .arg(KESTROVA_VERSION_RELEASE);
}

QString ParseVersionFile(const QByteArray& body, const QString& noDataText, const QString& unrecognizedText)
{
    if (body.isEmpty())
        RaiseError(noDataText);
    const QString text = FromAnsi(body);
    const QStringList items = SplitVersionItems(text);
    bool recognized = !items.isEmpty();
    for (const QString& item : items)
        recognized = recognized && IsDecimalNumber(item);
    if (!recognized)
        RaiseError(unrecognizedText + QStringLiteral(": ") + text.left(16));
    return items.join(u'.');
}
