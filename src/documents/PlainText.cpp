#include "documents/PlainText.h"

#include <QStringDecoder>

namespace {

bool StartsWith(QByteArrayView bytes, QByteArrayView prefix)
{
    return bytes.size() >= prefix.size() && bytes.first(prefix.size()) == prefix;
}

const QByteArrayView kUtf8Mark("\xEF\xBB\xBF", 3);
const QByteArrayView kUtf16LeMark("\xFF\xFE", 2);
const QByteArrayView kUtf16BeMark("\xFE\xFF", 2);

// Length of the valid UTF-8 sequence at bytes[i], 0 if it is not one; a sequence
// cut by the end of bytes counts as valid.
qsizetype Utf8SequenceLength(QByteArrayView bytes, qsizetype i)
{
    const auto lead = static_cast<unsigned char>(bytes[i]);
    qsizetype length = 0;
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4;
    else
        return 0;
    for (qsizetype k = 1; k < length; ++k) {
        if (i + k >= bytes.size())
            return bytes.size() - i;
        if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80)
            return 0;
    }
    return length;
}

bool IsUtf8WithoutZeros(QByteArrayView bytes)
{
    for (qsizetype i = 0; i < bytes.size();) {
        if (bytes[i] == 0)
            return false;
        const qsizetype length = Utf8SequenceLength(bytes, i);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

} // namespace

TPlainTextEncoding SniffPlainText(QByteArrayView head)
{
    if (StartsWith(head, kUtf8Mark))
        return TPlainTextEncoding::Utf8;
    if (StartsWith(head, kUtf16LeMark))
        return TPlainTextEncoding::Utf16Le;
    if (StartsWith(head, kUtf16BeMark))
        return TPlainTextEncoding::Utf16Be;
    if (head.isEmpty())
        return TPlainTextEncoding::None;

    qsizetype zeroEven = 0;
    qsizetype zeroOdd = 0;
    for (qsizetype i = 0; i + 1 < head.size(); i += 2) {
        zeroEven += head[i] == 0;
        zeroOdd += head[i + 1] == 0;
    }
    const qsizetype pairs = head.size() / 2;
    // Mostly-Latin UTF-16: most pairs carry a zero byte on one side and almost none
    // on the other (binary files have zeros on both sides).
    if (pairs >= 2 && zeroOdd * 10 >= pairs * 6 && zeroEven * 20 <= pairs)
        return TPlainTextEncoding::Utf16Le;
    if (pairs >= 2 && zeroEven * 10 >= pairs * 6 && zeroOdd * 20 <= pairs)
        return TPlainTextEncoding::Utf16Be;
    return IsUtf8WithoutZeros(head) ? TPlainTextEncoding::Utf8 : TPlainTextEncoding::None;
}

QString DecodePlainText(QByteArrayView bytes, TPlainTextEncoding encoding)
{
    switch (encoding) {
    case TPlainTextEncoding::Utf8:
        return QStringDecoder(QStringDecoder::Utf8).decode(bytes);
    case TPlainTextEncoding::Utf16Le:
        return QStringDecoder(QStringDecoder::Utf16LE).decode(bytes);
    case TPlainTextEncoding::Utf16Be:
        return QStringDecoder(QStringDecoder::Utf16BE).decode(bytes);
    case TPlainTextEncoding::None:
        break;
    }
    return {};
}
