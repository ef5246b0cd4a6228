#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Text files written by people and by other programs (account imports, computer
// lists): a byte order mark selects UTF-8, UTF-16 LE or UTF-16 BE; without one the
// bytes are the ANSI code page (Windows-1252).

// The bytes as text, the byte order mark removed.
QString DecodeTextBytes(const QByteArray& bytes);

// Splits at CR LF, CR or LF. A line break at the very end does not start another
// (empty) line, so "a\r\nb\r\n" gives two lines and an empty text none.
QStringList SplitTextLines(const QString& text);

// Reads and decodes a whole file. Raises EKestrovaError when it cannot be opened or
// read, or with "input file is too large" when it holds more than maxBytes bytes
// (exactly maxBytes is read).
QString ReadTextFile(const QString& path, qint64 maxBytes);
