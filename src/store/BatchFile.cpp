#include "store/BatchFile.h"

#include "files/TextFileWriter.h"
#include "model/AnsiCodec.h"
#include "model/Error.h"
#include "model/ItemUrl.h"

#include <QCollator>
#include <QFile>
#include <algorithm>
#include <functional>
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
    // Exact text: the placeholders users type into their batch templates and keep in
    // saved templates.
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

// The value a placeholder stands for, already quoted for the script's language.
using TValueOf = std::function<QString(const TItemRecord& item, TPart part)>;
// Raises when the line could not run as intended.
using TLineCheck = std::function<void(const QString& line, const TItemRecord& item)>;

QStringList BuildLines(const TItemList& list, const QString& batchTemplate, bool noDuplicates,
                       const QLocale& locale, const TValueOf& valueOf, const TLineCheck& check)
{
    if (list.isEmpty())
        // Exact text: shown to the user and compared by the batch and export tests.
        RaiseError(QStringLiteral("File list is empty"));
    if (batchTemplate.isEmpty())
        RaiseError(QStringLiteral("Template is empty"));

    const std::vector<TTemplatePart> parts = ParseTemplate(batchTemplate);
    QStringList lines;
    lines.reserve(list.size());
    for (const TItemRecord& item : list) {
        QString line;
        for (const TTemplatePart& part : parts)
            line += part.kind == TPart::Text ? part.text : valueOf(item, part.kind);
        if (check)
            check(line, item);
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

QString BatchValue(const TItemRecord& item, TPart part)
{
    switch (part) {
    case TPart::FileName:
        return BatchQuote(item.FileName);
    case TPart::Folder:
        return BatchQuote(BatchFolder(item.FileName));
    case TPart::Computer:
        return BatchQuote(BatchComputer(item.FileName));
    case TPart::Text:
        break;
    }
    return {};
}

bool IsUncPath(const QString& name)
{
    return name.size() > 2 && name.startsWith(u"\\\\");
}

QString ShellValue(const TItemRecord& item, TPart part, const QString& mountFolder)
{
    switch (part) {
    case TPart::FileName:
        return ShellQuote(ShellPathOf(item.FileName, mountFolder));
    case TPart::Folder:
        // An FTP hit's folder is its address without the last segment.
        return ShellQuote(IsUncPath(item.FileName) ? ShellPathOf(BatchFolder(item.FileName), mountFolder)
                                                   : ItemFolderUrl(item));
    case TPart::Computer:
        return ShellQuote(ItemHost(item));
    case TPart::Text:
        break;
    }
    return {};
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
    return BuildLines(list, batchTemplate, noDuplicates, locale, BatchValue, CheckLine);
}

QString ShellQuote(const QString& value)
{
    return u'\'' + QString(value).replace(QStringLiteral("'"), QStringLiteral("'\\''")) + u'\'';
}

QString ShellPathOf(const QString& fileName, const QString& mountFolder)
{
    if (!IsUncPath(fileName))
        return fileName.startsWith(u"ftp://") ? ItemUrl(MakeItemRecord(fileName, 0, -1, 0.0, 0)) : fileName;
    if (mountFolder.isEmpty())
        return SmbUrlOfUncPath(fileName);
    QString folder = mountFolder;
    while (folder.size() > 1 && folder.endsWith(u'/'))
        folder.chop(1);
    QString rest = fileName.mid(2);
    rest.replace(u'\\', u'/');
    return folder == u"/" ? folder + rest : folder + u'/' + rest;
}

QStringList BuildShellScriptLines(const TItemList& list, const QString& scriptTemplate, bool noDuplicates,
                                  const QString& mountFolder, const QLocale& locale)
{
    // Single quotes hold every character, line breaks too: no line needs refusing.
    return BuildLines(
        list, scriptTemplate, noDuplicates, locale,
        [&mountFolder](const TItemRecord& item, TPart part) { return ShellValue(item, part, mountFolder); },
        {});
}

void WriteShellScript(const QString& path, const QStringList& lines)
{
    {
        TTextFileWriter out(path, TTextFileWriter::TEncoding::Utf8);
        // Exact text: the first line the shell needs to run the script; the tests compare
        // the whole file.
        QByteArray text = QByteArrayLiteral("#!/bin/sh\n");
        for (const QString& line : lines) {
            text += line.toUtf8();
            text += '\n';
        }
        out.writeBytes(text.constData(), text.size());
        out.close();
    }
    // A script is for running: executable by whoever may read it.
    QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner | QFileDevice::ExeUser);
}

void WriteBatchFile(const QString& path, const QStringList& lines)
{
    TTextFileWriter out(path, TTextFileWriter::TEncoding::Ansi);
    for (const QString& line : lines)
        out.writeLine(line);
    out.close();
}
