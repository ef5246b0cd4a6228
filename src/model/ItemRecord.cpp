#include "model/ItemRecord.h"

#include <QLocale>

namespace {

const QString kFtpPrefix = QStringLiteral("ftp://");

qsizetype LastPathDelimiter(const QString& path)
{
    for (qsizetype i = path.size() - 1; i >= 0; --i) {
        const QChar ch = path.at(i);
        if (ch == u'\\' || ch == u':')
            return i;
    }
    return -1;
}

} // namespace

TItemRecord MakeItemRecord(const QString& fileName, int32_t attrs, int32_t imageIndex, double dateTime,
                           int64_t size)
{
    return TItemRecord{fileName, attrs, size, dateTime, imageIndex};
}

bool IsFolderItem(const TItemRecord& item)
{
    return (item.Attrs & kAttrDirectory) != 0;
}

bool IsFtpItem(const TItemRecord& item)
{
    return item.FileName.startsWith(kFtpPrefix, Qt::CaseSensitive);
}

QString ExtractFilePath(const QString& path)
{
    return path.left(LastPathDelimiter(path) + 1);
}

QString ExtractFileName(const QString& path)
{
    return path.mid(LastPathDelimiter(path) + 1);
}

QString ExtractFileDir(const QString& path)
{
    qsizetype end = LastPathDelimiter(path) + 1; // length up to and including the delimiter
    if (end > 1 && path.at(end - 1) == u'\\') {
        const QChar before = path.at(end - 2);
        if (before != u'\\' && before != u':')
            --end;
    }
    return path.left(end);
}

QString ItemName(const TItemRecord& item)
{
    QString name = item.FileName;
    if (IsFtpItem(item))
        name = name.mid(name.lastIndexOf(u'/') + 1);
    return ExtractFileName(name);
}

QString ItemLocation(const TItemRecord& item)
{
    if (IsFtpItem(item))
        return item.FileName.left(item.FileName.lastIndexOf(u'/'));
    return ExtractFileDir(item.FileName);
}

QString ItemAttributesText(const TItemRecord& item)
{
    QString text;
    if (item.Attrs & kAttrArchive)
        text += u'A';
    if (item.Attrs & kAttrReadOnly)
        text += u'R';
    if (item.Attrs & kAttrHidden)
        text += u'H';
    if (item.Attrs & kAttrSystem)
        text += u'S';
    return text;
}

QString SizeText(int64_t size)
{
    return SizeText(size, QLocale());
}

QString SizeText(int64_t size, const QLocale& locale)
{
    constexpr int64_t kKilo = 1000, kMega = 1000 * kKilo, kGiga = 1000 * kMega;
    if (size < kKilo)
        return QStringLiteral("%1 bytes").arg(size);

    double value;
    const char* unit;
    if (size < kMega) {
        value = static_cast<double>(size) / 1024.0;
        unit = "KB";
    } else if (size < kGiga) {
        value = static_cast<double>(size) / 1048576.0;
        unit = "MB";
    } else {
        value = static_cast<double>(size) / 1073741824.0;
        unit = "GB";
    }
    const int decimals = value < 10 ? 2 : (value < 100 ? 1 : 0);
    QString number = QString::number(value, 'f', decimals);
    number.replace(u'.', locale.decimalPoint());
    return number + u' ' + QLatin1String(unit);
}

QString ItemSizeText(const TItemRecord& item)
{
    return ItemSizeText(item, QLocale());
}

QString ItemSizeText(const TItemRecord& item, const QLocale& locale)
{
    if (IsFolderItem(item))
        return QString();
    return SizeText(item.Size, locale);
}
