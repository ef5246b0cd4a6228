#pragma once

#include <QByteArrayView>
#include <QString>
#include <optional>

// Plain text in UTF-8 or UTF-16 (either byte order), with or without a byte order
// mark. Without a mark, UTF-16 is recognised by its zero bytes (text of mostly
// Latin letters has one in every pair, at the odd positions for little-endian) and
// UTF-8 by being valid UTF-8 without zero bytes; anything else is not plain text.
enum class TPlainTextEncoding { None, Utf8, Utf16Le, Utf16Be };

// The encoding the first bytes of a file show. A multi-byte UTF-8 sequence cut at
// the end of head does not count against it.
TPlainTextEncoding SniffPlainText(QByteArrayView head);

// The text of bytes in that encoding, a byte order mark removed.
QString DecodePlainText(QByteArrayView bytes, TPlainTextEncoding encoding);
