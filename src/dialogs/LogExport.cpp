#include "dialogs/LogExport.h"

#include "model/AnsiCodec.h"
#include "model/Error.h"

#include <QSaveFile>

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
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        RaiseError(file.errorString());
    const QByteArray bytes = LogExportBytes(entries);
    if (file.write(bytes) != bytes.size()) {
        const QString message = file.errorString();
        file.cancelWriting();
        RaiseError(message);
    }
    if (!file.commit())
        RaiseError(file.errorString());
}
