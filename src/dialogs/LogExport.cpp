#include "dialogs/LogExport.h"

#include "files/AtomicFile.h"
#include "model/AnsiCodec.h"

// Exact text: a saved log is one ANSI line per entry with CRLF ends, as users' log
// readers and earlier versions' files have it; the log window tests compare the
// bytes.
QByteArray LogExportBytes(const QList<TSearchLogEntry>& entries)
{
    QByteArray bytes;
    for (const TSearchLogEntry& entry : entries) {
        QString line = entry.Text;
        line.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
        line.replace(u'\r', u' ');
        line.replace(u'\n', u' ');
        bytes += ToAnsi(line);
        bytes += "\r\n";
    }
    return bytes;
}

void SaveLogExport(const QString& path, const QList<TSearchLogEntry>& entries)
{
    TAtomicFile file(path, TAtomicFile::TPermissions::Keep);
    file.write(LogExportBytes(entries));
    file.finish();
    file.replace();
}
