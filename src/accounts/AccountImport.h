#pragma once

#include "model/Account.h"

#include <QList>
#include <QString>

// Accounts read from a CSV file: one account per line, the fields computer, user
// name and password split at a separator of one character.
//
// Fields: blanks and control characters (codes 1 to 32) around a field are skipped;
// a field in double quotes runs to the closing quote ("" inside stands for one "),
// any other field ends at the separator or at the first blank; a separator at the
// very end of a line adds an empty last field. A line without any field (empty or
// blank) is skipped. Every other line gives one account: the first field in UNC form
// (WithUncPrefix) as computer, the second (or empty) as user name, the third (or
// empty) as password; further fields are ignored.

// The largest file taken, in bytes.
constexpr qint64 kMaxAccountImportBytes = 1048576;

QList<TUnicodeAccount> ParseAccountImportText(const QString& text, QChar separator);

// The accounts of a file and the number of lines that are no account and were skipped:
// a header row (the first line with fields, when its first field names a column such
// as "Computer" or "Host"), a comment (first field starting with "#"), and a line with
// several fields but no separator (a sentence, not a record).
struct TAccountImport {
    QList<TUnicodeAccount> Accounts;
    int SkippedLines = 0;
};
TAccountImport ParseAccountImport(const QString& text, QChar separator);
TAccountImport ReadAccountImport(const QString& path, const QString& separator);

// Reads and parses a whole file (byte order mark or ANSI, see ReadTextFile). A
// separator that is not exactly one character gives no accounts and reads nothing.
// Raises EKestrovaError when the file cannot be read or holds more than
// kMaxAccountImportBytes bytes ("input file is too large").
QList<TUnicodeAccount> ReadAccountImportFile(const QString& path, const QString& separator);
