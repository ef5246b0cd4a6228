#include "store/BatchFile.h"

#include "files/TextFileWriter.h"
#include "model/AnsiCodec.h"
#include "model/Error.h"

#include <QCollator>
#include <algorithm>
#include <vector>

namespace {

enum class TPart { Text, FileName, Folder, Computer };

struct TTemplatePart {
    TPart kind;
    QString text;
};

// The template cut into text and placeholders once, so that a name that itself
// holds "<FD>" or "<FC>" is written as it is instead of being replaced in turn.
std::vector<TTemplatePart> ParseTemplate(const QString& batchTemplate)
{
    static const struct {
        QLatin1StringView token;
        TPart kind;
    } kPlaceholders[] = {{QLatin1StringView("<FN>"), TPart::FileName},
                         {QLatin1StringView("<FD>"), TPart::Folder},
                         {QLatin1StringView("<FC>"), TPart::Computer}};
    std::vector<TTemplatePart> parts;
    QString text;
    qsizetype at = 0;
    while (at < batchTemplate.size()) {
        bool matched = false;
        for (const auto& placeholder : kPlaceholders) {
            if (QStringView(batchTemplate).mid(at, 4).compare(placeholder.token, Qt::CaseInsensitive) == 0) {
                if (!text.isEmpty())
                    parts.push_back({TPart::Text, std::exchange(text, QString())});
                parts.push_back({placeholder.kind, QString()});
                at += 4;
                matched = true;
                break;
            }
        }
        if (!matched)
            text += batchTemplate.at(at++);
    }
    if (!text.isEmpty())
        parts.push_back({TPart::Text, text});
    return parts;
}

void CheckLine(const QString& line, const TItemRecord& item)
{
    if (line.contains(u'\r') || line.contains(u'\n'))
        throw EKestrovaError(
            QStringLiteral("The name \"%1\" holds a line break and cannot be written to a batch file")
                .arg(item.FileName));
    if (FromAnsi(ToAnsi(line)) != line)
        throw EKestrovaError(QStringLiteral("The line for \"%1\" holds characters that a batch file in the "
                                            "Windows-1252 code page cannot hold")
                                 .arg(item.FileName));
}

} // namespace

QString BatchQuote(const QString& value)
{
    return u'"' + QString(value).replace(QStringLiteral("\""), QStringLiteral("\"\"")) + u'"';
}

QString BatchFolder(const QString& fileName)
{
    return ExtractFileDir(fileName);
}

QString BatchComputer(const QString& fileName)
{
    const QString rest = fileName.mid(2);
    const qsizetype end = rest.indexOf(u'\\');
    return end < 0 ? QString() : rest.left(end);
}

QStringList BuildBatchLines(const TItemList& list, const QString& batchTemplate, bool noDuplicates,
                            const QLocale& locale)
{
    if (list.isEmpty())
        RaiseError(QStringLiteral("File list is empty"));
    if (batchTemplate.isEmpty())
        RaiseError(QStringLiteral("Template is empty"));

    const std::vector<TTemplatePart> parts = ParseTemplate(batchTemplate);
    QStringList lines;
    lines.reserve(list.size());
    for (const TItemRecord& item : list) {
        QString line;
        for (const TTemplatePart& part : parts) {
            switch (part.kind) {
            case TPart::Text:
                line += part.text;
                break;
            case TPart::FileName:
                line += BatchQuote(item.FileName);
                break;
            case TPart::Folder:
                line += BatchQuote(BatchFolder(item.FileName));
                break;
            case TPart::Computer:
                line += BatchQuote(BatchComputer(item.FileName));
                break;
            }
        }
        CheckLine(line, item);
        lines.append(line);
    }

    if (noDuplicates) {
        QCollator collator(locale);
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        const auto less = [&](const QString& a, const QString& b) { return collator.compare(a, b) < 0; };
        // Stable, so that of equal lines the first one in list order stays.
        std::stable_sort(lines.begin(), lines.end(), less);
        const auto same = [&](const QString& a, const QString& b) { return collator.compare(a, b) == 0; };
        lines.erase(std::unique(lines.begin(), lines.end(), same), lines.end());
    }
    return lines;
}

void WriteBatchFile(const QString& path, const QStringList& lines)
{
    TTextFileWriter out(path, TTextFileWriter::TEncoding::Ansi);
    for (const QString& line : lines)
        out.writeLine(line);
    out.close();
}
