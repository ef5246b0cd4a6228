#include "accounts/LegacyAccountFile.h"

#include "accounts/AccountList.h"
#include "model/AnsiCodec.h"
#include "model/Error.h"
#include "platform/ProgramPath.h"

#include <QFile>
#include <QFileInfo>

namespace {

constexpr qsizetype kRecordSize = 192;
constexpr qsizetype kFieldSize = 64;
constexpr qsizetype kMaxRecords = 100000;

// The signature every OLE2 compound file (and so every results file) starts with.
constexpr char kCompoundFileSignature[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";

QString FieldText(const char* field)
{
    qsizetype length = 0;
    while (length < kFieldSize && field[length] != '\0')
        ++length;
    return FromAnsi(field, length);
}

QByteArray ReadLegacyFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EKestrovaError(QStringLiteral("Cannot read %1: %2").arg(path, file.errorString()));
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw EKestrovaError(QStringLiteral("Cannot read %1: %2").arg(path, file.errorString()));
    return bytes;
}

} // namespace

QString LegacyAccountFilePath(const QString& settingsFilePath)
{
    // Exact text: the account file of earlier versions lies beside the settings file
    // under this extension; the import looks for it there.
    return ReplaceFileExtension(settingsFilePath, QStringLiteral(".dat"));
}

int ImportLegacyAccountFile(const QString& path, TAccountList& accounts, const std::function<void()>& persist)
{
    const QFileInfo info(path);
    if (!info.exists())
        return 0;
    if (info.isDir() || info.size() > kMaxRecords * kRecordSize || info.size() % kRecordSize != 0)
        return 0;

    const QByteArray bytes = ReadLegacyFile(path);
    if (bytes.size() % kRecordSize != 0 ||
        bytes.startsWith(QByteArrayView(kCompoundFileSignature, sizeof kCompoundFileSignature - 1)))
        return 0;

    QList<TUnicodeAccount> imported;
    for (qsizetype offset = 0; offset < bytes.size(); offset += kRecordSize) {
        const char* record = bytes.constData() + offset;
        imported.append(TUnicodeAccount(FieldText(record), FieldText(record + kFieldSize),
                                        FieldText(record + 2 * kFieldSize)));
    }
    accounts.Append(imported);
    if (persist)
        persist();
    QFile::remove(path);
    return static_cast<int>(imported.size());
}
