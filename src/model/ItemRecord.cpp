#include "model/ItemRecord.h"

#include <QLocale>

namespace {

const QString kFtpPrefix = QStringLiteral("ftp://");

qsizetype LastPathDelimiter(QStringView path)
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
    return TItemRecord{fileName, attrs, size, dateTime, imageIndex, nullptr};
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
    return ExtractFileDirView(path).toString();
}

QStringView ExtractFileDirView(QStringView path)
{
    qsizetype end = LastPathDelimiter(path) + 1; // length up to and including the delimiter
    if (end > 1 && path.at(end - 1) == u'\\') {
        const QChar before = path.at(end - 2);
        if (before != u'\\' && before != u':')
            --end;
    }
    return path.left(end);
}

QStringView ItemNameView(const TItemRecord& item)
{
    QStringView name = item.FileName;
    if (IsFtpItem(item))
        name = name.mid(name.lastIndexOf(u'/') + 1);
    return name.mid(LastPathDelimiter(name) + 1);
}

QString ItemName(const TItemRecord& item)
{
    return ItemNameView(item).toString();
}

QStringView ItemLocationView(const TItemRecord& item)
{
    if (IsFtpItem(item))
        return QStringView(item.FileName).left(item.FileName.lastIndexOf(u'/'));
    return ExtractFileDirView(item.FileName);
}

QString ItemLocation(const TItemRecord& item)
{
    return ItemLocationView(item).toString();
}

void AppendItemAttributesText(QString& out, const TItemRecord& item)
{
    if (item.Attrs & kAttrArchive)
        out += u'A';
    if (item.Attrs & kAttrReadOnly)
        out += u'R';
    if (item.Attrs & kAttrHidden)
        out += u'H';
    if (item.Attrs & kAttrSystem)
        out += u'S';
}

QString ItemAttributesText(const TItemRecord& item)
{
    QString text;
    AppendItemAttributesText(text, item);
    return text;
}

QString SizeText(int64_t size)
{
    return TSizeFormatter().text(size);
}

QString SizeText(int64_t size, const QLocale& locale)
{
    return TSizeFormatter(locale).text(size);
}

TSizeFormatter::TSizeFormatter(const QLocale& locale)
    : m_decimalPoint(locale.decimalPoint()), m_pointIsPeriod(m_decimalPoint == QLatin1StringView("."))
{
}

// Exact text: the units of the Size column, which reports carry and users' scripts
// parse; the report and size tests compare them.
QString TSizeFormatter::text(int64_t size) const
{
    constexpr int64_t kKilo = 1000, kMega = 1000 * kKilo, kGiga = 1000 * kMega;
    if (size < kKilo)
        return QString::number(size) + QLatin1StringView(" bytes");

    double value;
    QLatin1StringView unit;
    if (size < kMega) {
        value = static_cast<double>(size) / 1024.0;
        unit = QLatin1StringView(" KB");
    } else if (size < kGiga) {
        value = static_cast<double>(size) / 1048576.0;
        unit = QLatin1StringView(" MB");
    } else {
        value = static_cast<double>(size) / 1073741824.0;
        unit = QLatin1StringView(" GB");
    }
    const int decimals = value < 10 ? 2 : (value < 100 ? 1 : 0);
    QString number = QString::number(value, 'f', decimals);
    if (!m_pointIsPeriod)
        number.replace(u'.', m_decimalPoint);
    return number + unit;
}

void TSizeFormatter::appendTo(QString& out, const TItemRecord& item) const
{
    if (!IsFolderItem(item))
        out += text(item.Size);
}

QString ItemSizeText(const TItemRecord& item)
{
    return ItemSizeText(item, QLocale());
}

QString ItemSizeText(const TItemRecord& item, const QLocale& locale)
{
    QString text;
    TSizeFormatter(locale).appendTo(text, item);
    return text;
}
