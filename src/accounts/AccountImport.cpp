#include "accounts/AccountImport.h"

#include "files/TextFileReader.h"
#include "model/DelimitedText.h"
#include "model/ScopeEntry.h"

namespace {

bool IsColumnCaption(const QString& field)
{
    // Exact text: the first-column captions of account lists that users keep in
    // spreadsheets; a first line starting with one of them is skipped as a header.
    static const QStringList captions = {QStringLiteral("computer"),     QStringLiteral("computer name"),
                                         QStringLiteral("computername"), QStringLiteral("host"),
                                         QStringLiteral("host name"),    QStringLiteral("hostname"),
                                         QStringLiteral("server"),       QStringLiteral("machine")};
    return captions.contains(field.trimmed().toLower());
}

} // namespace

TAccountImport ParseAccountImport(const QString& text, QChar separator)
{
    TAccountImport result;
    bool firstRecord = true;
    for (const QString& line : SplitTextLines(text)) {
        const QStringList fields = SplitDelimitedText(line, separator, u'"');
        if (fields.isEmpty())
            continue;
        const bool header = firstRecord && IsColumnCaption(fields.at(0));
        firstRecord = false;
        const bool comment = fields.at(0).startsWith(u'#');
        const bool sentence = fields.size() > 1 && !line.contains(separator);
        if (header || comment || sentence) {
            ++result.SkippedLines;
            continue;
        }
        result.Accounts.append(
            TUnicodeAccount(WithUncPrefix(fields.at(0)), fields.value(1), fields.value(2)));
    }
    return result;
}

TAccountImport ReadAccountImport(const QString& path, const QString& separator)
{
    if (separator.size() != 1)
        return {};
    return ParseAccountImport(ReadTextFile(path, kMaxAccountImportBytes), separator.at(0));
}

QList<TUnicodeAccount> ParseAccountImportText(const QString& text, QChar separator)
{
    return ParseAccountImport(text, separator).Accounts;
}

QList<TUnicodeAccount> ReadAccountImportFile(const QString& path, const QString& separator)
{
    return ReadAccountImport(path, separator).Accounts;
}
