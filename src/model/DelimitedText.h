#pragma once

#include <QString>
#include <QStringList>

// Lists written as one line of text: items separated by a delimiter, an item that
// holds a blank, a control character, the quote or the delimiter enclosed in quotes
// with inner quotes doubled. Reading also treats runs of blanks and control
// characters as separators, so an unquoted blank splits an item; a delimiter that is
// itself a blank or control character (a tab) still separates one item from the next.
QString JoinDelimitedText(const QStringList& items, QChar delimiter, QChar quote);
QStringList SplitDelimitedText(const QString& text, QChar delimiter, QChar quote);

// The comma text of the search configuration: delimiter ',' and quote '"'.
inline QString JoinCommaText(const QStringList& items)
{
    return JoinDelimitedText(items, u',', u'"');
}
inline QStringList SplitCommaText(const QString& text)
{
    return SplitDelimitedText(text, u',', u'"');
}
