#include "store/JsonLinesReport.h"

#include "files/TextFileWriter.h"
#include "model/ItemDateText.h"
#include "model/ItemUrl.h"
#include "store/ReportCommon.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

namespace {

// The standard output, when "-" names it: the process's stream stays open after the
// export, and what a script piped in order stays in order.
void WriteToStandardOutput(const TItemList& list)
{
    QFile out;
    if (!out.open(stdout, QIODevice::WriteOnly, QFileDevice::DontCloseHandle))
        RaiseError(QStringLiteral("Cannot write to the standard output: ") + out.errorString());
    for (const TItemRecord& item : list) {
        if (out.write(JsonLine(item)) < 0)
            RaiseError(QStringLiteral("Cannot write to the standard output: ") + out.errorString());
    }
    if (!out.flush())
        RaiseError(QStringLiteral("Cannot write to the standard output: ") + out.errorString());
}

} // namespace

QByteArray JsonLine(const TItemRecord& item)
{
    // QJsonDocument escapes quotes, backslashes and control characters and writes
    // characters outside the BMP as their UTF-8 bytes.
    // Exact text: the field names are the interface of the JSON Lines export that
    // users' scripts read; the report tests parse each line by them.
    const QJsonObject object{
        {QStringLiteral("name"), ItemName(item)},
        {QStringLiteral("location"), ItemLocation(item)},
        {QStringLiteral("path"), item.FileName},
        {QStringLiteral("url"), ItemUrl(item)},
        {QStringLiteral("host"), ItemHost(item)},
        {QStringLiteral("size"), static_cast<qint64>(item.Size)},
        {QStringLiteral("modified"), ItemIsoDateText(item)},
        {QStringLiteral("attributes"), ItemAttributesText(item)},
        {QStringLiteral("folder"), IsFolderItem(item)},
    };
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

void ExportToJsonLines(const QString& path, const TItemList& list)
{
    // Exact text: scripts reading the standard output see this prefix on failure; the
    // script-output tests match it.
    RunExport(QStringLiteral("JSON export error: "), [&] {
        if (path == u"-") {
            WriteToStandardOutput(list);
            return;
        }
        TTextFileWriter out(path, TTextFileWriter::TEncoding::Utf8);
        for (const TItemRecord& item : list) {
            const QByteArray line = JsonLine(item);
            out.writeBytes(line.constData(), line.size());
        }
        out.close();
    });
}
