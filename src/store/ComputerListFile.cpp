#include "store/ComputerListFile.h"

#include "files/AtomicFile.h"
#include "files/TextFileReader.h"
#include "model/AnsiCodec.h"
#include "model/ScopeEntry.h"

namespace {

// Far above any real network's list, low enough that a wrong file chosen by mistake
// cannot stall the window.
constexpr qint64 kMaxListFileBytes = 16 * 1024 * 1024;

} // namespace

QStringList LoadComputerList(const QString& path, TScopeListKind kind)
{
    QStringList entries;
    for (const QString& line : SplitTextLines(ReadTextFile(path, kMaxListFileBytes))) {
        const QString name = line.trimmed();
        if (!name.isEmpty())
            entries.append(kind == TScopeListKind::Computers ? ComputerListEntry(name) : name.toUpper());
    }
    return entries;
}

// Exact text: one ANSI name per CRLF line, the form of the computer lists users keep
// and load again; the list tests compare the bytes.
bool SaveComputerList(const QString& path, const QStringList& entries)
{
    if (entries.isEmpty())
        return false;
    QByteArray bytes;
    for (const QString& entry : entries) {
        bytes += ToAnsi(entry);
        bytes += "\r\n";
    }
    // A list holds no secrets: the replaced file keeps its permissions.
    TAtomicFile file(path, TAtomicFile::TPermissions::Keep);
    file.write(bytes);
    file.finish();
    file.replace();
    return true;
}
