#include "files/TextFileReader.h"

#include "model/AnsiCodec.h"
#include "model/Error.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <algorithm>

namespace {

QString Decode(QStringDecoder::Encoding encoding, QByteArrayView bytes)
{
    QStringDecoder decoder(encoding, QStringDecoder::Flag::Stateless);
    return decoder.decode(bytes);
}

[[noreturn]] void RaiseFileError(const QString& path, const QFile& file)
{
    throw EKestrovaError(QStringLiteral("%1: %2").arg(path, file.errorString()));
}

} // namespace

QString DecodeTextBytes(const QByteArray& bytes)
{
    const QByteArrayView view(bytes);
    if (view.startsWith("\xEF\xBB\xBF"))
        return Decode(QStringDecoder::Utf8, view.sliced(3));
    if (view.startsWith("\xFF\xFE"))
        return Decode(QStringDecoder::Utf16LE, view.sliced(2));
    if (view.startsWith("\xFE\xFF"))
        return Decode(QStringDecoder::Utf16BE, view.sliced(2));
    return FromAnsi(bytes);
}

QStringList SplitTextLines(const QString& text)
{
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype pos = 0; pos < text.size(); ++pos) {
        const QChar ch = text.at(pos);
        if (ch != u'\r' && ch != u'\n')
            continue;
        lines.append(text.mid(start, pos - start));
        if (ch == u'\r' && pos + 1 < text.size() && text.at(pos + 1) == u'\n')
            ++pos;
        start = pos + 1;
    }
    if (start < text.size())
        lines.append(text.mid(start));
    return lines;
}

QString ReadTextFile(const QString& path, qint64 maxBytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        RaiseFileError(path, file);
    // Read one byte past the limit rather than trusting the size the file system
    // reports beforehand (a pipe or a growing file has none that holds), in blocks:
    // a single read of the limit would reserve all of it for every small file.
    constexpr qint64 kBlockBytes = 64 * 1024;
    QByteArray bytes;
    while (bytes.size() <= maxBytes) {
        const QByteArray block = file.read(std::min(kBlockBytes, maxBytes + 1 - bytes.size()));
        if (file.error() != QFileDevice::NoError)
            RaiseFileError(path, file);
        if (block.isEmpty())
            break;
        bytes += block;
    }
    if (bytes.size() > maxBytes)
        // Exact text: follows "Unable to parse file: " in the account import; the import
        // tests compare the whole message.
        RaiseError(QStringLiteral("input file is too large"));
    return DecodeTextBytes(bytes);
}
