#include "dialogs/HostSummaryExport.h"

#include "model/Error.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace {

QString CsvField(const QString& text)
{
    if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\n') && !text.contains(u'\r'))
        return text;
    return u'"' + QString(text).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

QString Seconds(int64_t milliseconds)
{
    return QString::number(static_cast<double>(milliseconds) / 1000.0, 'f', 1);
}

} // namespace

QByteArray HostSummaryCsv(const std::vector<THostProgressLine>& lines)
{
    QString text =
        QStringLiteral("Host,State,Detail,Hits,Bytes searched,Seconds,Share,Access,Comment,Error\r\n");
    for (const THostProgressLine& line : lines) {
        const QString host =
            QStringList{
                CsvField(line.Host),        CsvField(HostStateText(line.State)), CsvField(line.Detail),
                QString::number(line.Hits), QString::number(line.BytesSearched), Seconds(line.ElapsedMs)}
                .join(u',');
        if (line.Shares.empty())
            text += host + QStringLiteral(",,,,\r\n");
        for (const TShareSummary& share : line.Shares)
            text += host + u',' + CsvField(share.Name) + u',' + CsvField(share.Access) + u',' +
                    CsvField(share.Comment) + u',' + CsvField(share.Error) + QStringLiteral("\r\n");
    }
    return text.toUtf8();
}

QByteArray HostSummaryJson(const std::vector<THostProgressLine>& lines)
{
    QJsonArray hosts;
    for (const THostProgressLine& line : lines) {
        QJsonArray shares;
        for (const TShareSummary& share : line.Shares)
            shares.append(QJsonObject{{QStringLiteral("share"), share.Name},
                                      {QStringLiteral("access"), share.Access},
                                      {QStringLiteral("comment"), share.Comment},
                                      {QStringLiteral("error"), share.Error}});
        hosts.append(QJsonObject{{QStringLiteral("host"), line.Host},
                                 {QStringLiteral("state"), HostStateText(line.State)},
                                 {QStringLiteral("detail"), line.Detail},
                                 {QStringLiteral("hits"), static_cast<qint64>(line.Hits)},
                                 {QStringLiteral("bytesSearched"), static_cast<qint64>(line.BytesSearched)},
                                 {QStringLiteral("seconds"), static_cast<double>(line.ElapsedMs) / 1000.0},
                                 {QStringLiteral("shares"), shares}});
    }
    return QJsonDocument(QJsonObject{{QStringLiteral("hosts"), hosts}}).toJson(QJsonDocument::Indented);
}

void SaveHostSummary(const QString& fileName, const std::vector<THostProgressLine>& lines)
{
    const QByteArray data = fileName.endsWith(QStringLiteral(".json"), Qt::CaseInsensitive)
                                ? HostSummaryJson(lines)
                                : HostSummaryCsv(lines);
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit())
        RaiseError(QStringLiteral("Unable to write %1: %2").arg(fileName, file.errorString()));
}
