#include "accounts/AccountImport.h"

#include "files/TextFileReader.h"
#include "model/DelimitedText.h"
#include "model/ScopeEntry.h"

QList<TUnicodeAccount> ParseAccountImportText(const QString& text, QChar separator)
{
    QList<TUnicodeAccount> accounts;
    for (const QString& line : SplitTextLines(text)) {
        const QStringList fields = SplitDelimitedText(line, separator, u'"');
        if (fields.isEmpty())
            continue;
        accounts.append(TUnicodeAccount(WithUncPrefix(fields.at(0)), fields.value(1), fields.value(2)));
    }
    return accounts;
}

QList<TUnicodeAccount> ReadAccountImportFile(const QString& path, const QString& separator)
{
    if (separator.size() != 1)
        return {};
    return ParseAccountImportText(ReadTextFile(path, kMaxAccountImportBytes), separator.at(0));
}
