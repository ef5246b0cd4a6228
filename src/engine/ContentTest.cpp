#include "engine/ContentTest.h"

#include "engine/ContentScanner.h"
#include "model/AnsiCodec.h"

#include <algorithm>

namespace {

// Bytes kept on either side of a hit: an excerpt's characters, four bytes each
// at most (UTF-8), with room for line breaks that collapse.
constexpr size_t kExcerptContextBytes = 256;

bool IsUtf8Continuation(char byte)
{
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

// Bytes a UTF-8 sequence takes, judged by its first byte (1 for a stray byte).
int Utf8SequenceLength(char byte)
{
    const auto value = static_cast<unsigned char>(byte);
    if (value >= 0xF0 && value < 0xF8)
        return 4;
    if (value >= 0xE0)
        return value < 0xF0 ? 3 : 1;
    if (value >= 0xC0)
        return 2;
    return 1;
}

QString DecodeUtf8(QByteArray bytes, TExcerptSide side)
{
    if (side == TExcerptSide::Before) {
        qsizetype skip = 0;
        while (skip < bytes.size() && skip < 3 && IsUtf8Continuation(bytes[skip]))
            ++skip;
        bytes.remove(0, skip);
    } else {
        // A sequence cut off at the end: find its first byte among the last three.
        for (qsizetype back = 1; back <= std::min<qsizetype>(3, bytes.size()); ++back) {
            const char byte = bytes[bytes.size() - back];
            if (IsUtf8Continuation(byte))
                continue;
            if (Utf8SequenceLength(byte) > back)
                bytes.chop(back);
            break;
        }
    }
    return QString::fromUtf8(bytes);
}

QString DecodeUtf16(const QByteArray& bytes, TExcerptSide side)
{
    // The term starts on a code unit, so units are counted from its side.
    const qsizetype units = bytes.size() / 2;
    const qsizetype first = side == TExcerptSide::Before ? bytes.size() - 2 * units : 0;
    QString text(units, Qt::Uninitialized);
    for (qsizetype i = 0; i < units; ++i) {
        const auto low = static_cast<unsigned char>(bytes[first + 2 * i]);
        const auto high = static_cast<unsigned char>(bytes[first + 2 * i + 1]);
        text[i] = QChar(static_cast<char16_t>(low | (high << 8)));
    }
    // Half a surrogate pair at the cut end is no character.
    if (side == TExcerptSide::Before && !text.isEmpty() && text.front().isLowSurrogate())
        text.remove(0, 1);
    if (side == TExcerptSide::After && !text.isEmpty() && text.back().isHighSurrogate())
        text.chop(1);
    return text;
}

// Control characters as blanks, runs of blanks as one.
QString Flatten(const QString& text)
{
    QString flat;
    flat.reserve(text.size());
    for (const QChar c : text) {
        const bool blank = c.isSpace() || c.category() == QChar::Other_Control;
        if (blank && flat.endsWith(u' '))
            continue;
        flat.append(blank ? QChar(u' ') : c);
    }
    return flat;
}

} // namespace

QString DecodeExcerptBytes(const QByteArray& bytes, TTextEncoding encoding, TExcerptSide side)
{
    switch (encoding) {
    case TTextEncoding::Ansi:
        return FromAnsi(bytes);
    case TTextEncoding::Utf16Le:
        return DecodeUtf16(bytes, side);
    case TTextEncoding::Utf8:
        return DecodeUtf8(bytes, side);
    default:
        return {};
    }
}

QString ContentExcerpt(const QString& before, const QString& term, const QString& after)
{
    const QString head = Flatten(before);
    const QString tail = Flatten(after);
    const qsizetype room = std::max<qsizetype>(0, kExcerptLength - term.size());
    // Half the room on either side; a side with less text leaves the rest to the other.
    qsizetype headLength = std::min(head.size(), room / 2);
    const qsizetype tailLength = std::min(tail.size(), room - headLength);
    headLength = std::min(head.size(), room - tailLength);
    QString shown = head.right(headLength) + term + tail.left(tailLength);
    // Never half of a surrogate pair at either end.
    if (headLength > 0 && shown.front().isLowSurrogate())
        shown.remove(0, 1);
    if (tailLength > 0 && shown.back().isHighSurrogate())
        shown.chop(1);
    return shown;
}

std::optional<TContentMatch> TestContent(ByteSource& source, const TThreadConfig& config,
                                         const std::stop_token& stop, size_t chunkSize)
{
    const ContentScanVerdict verdict = ScanContent(source, config.SearchText, config.Logic, config.Encoding,
                                                   chunkSize, stop, kExcerptContextBytes);
    if (!verdict.passes)
        return std::nullopt;
    TContentMatch match;
    if (verdict.hit) {
        const PatternHit& hit = *verdict.hit;
        const auto matchStart = static_cast<qsizetype>(hit.matchStart);
        const auto matchEnd = matchStart + static_cast<qsizetype>(hit.matchLength);
        match.Term = verdict.term;
        match.Excerpt = ContentExcerpt(
            DecodeExcerptBytes(hit.context.left(matchStart), config.Encoding, TExcerptSide::Before),
            verdict.term,
            DecodeExcerptBytes(hit.context.mid(matchEnd), config.Encoding, TExcerptSide::After));
    }
    return match;
}
