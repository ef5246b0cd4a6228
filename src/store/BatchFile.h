#pragma once

#include "model/ItemRecord.h"

#include <QLocale>
#include <QString>
#include <QStringList>

// Batch files from a one-line template: "<FN>" becomes each hit's full name, "<FD>"
// its folder and "<FC>" its computer, each in double quotes (inner quotes doubled).
// Placeholders match in any letter case.

// The value in double quotes, quotes inside doubled.
QString BatchQuote(const QString& value);
// The folder of a name: up to its last '\' or ':', the '\' dropped unless a '\' or
// ':' precedes it (C:\a.txt gives C:\, \\PC1\s\a.txt gives \\PC1\s).
QString BatchFolder(const QString& fileName);
// The computer of a UNC name: from its third character to the next '\' (HOST of
// \\HOST\share\a.txt); empty when no '\' follows.
QString BatchComputer(const QString& fileName);

// One line per record in list order; with 'noDuplicates' sorted by the locale's
// collation without regard to case, equal lines once. Raises "File list is empty",
// "Template is empty", or an error naming a hit whose line could not run as
// intended: one holding a line break (it would split into two commands) or a
// character Windows-1252 lacks (it would turn into the wildcard '?').
QStringList BuildBatchLines(const TItemList& list, const QString& batchTemplate, bool noDuplicates,
                            const QLocale& locale = QLocale());

// Writes the lines in Windows-1252, each ended by CR LF.
void WriteBatchFile(const QString& path, const QStringList& lines);

// POSIX shell scripts from the same templates. Each value is single-quoted (a ' inside
// written '\''); names are smb:// addresses (percent-encoded), or with a mount folder
// paths below it: /mnt/net + \\PC1\docs\a.txt gives /mnt/net/PC1/docs/a.txt. FTP
// hits stay ftp:// addresses. "<FC>" is the host.

// 'value', every ' inside written as '\''.
QString ShellQuote(const QString& value);
// A hit's name (or folder) as the script names it; mountFolder empty: smb:// addresses.
QString ShellPathOf(const QString& fileName, const QString& mountFolder);
// As BuildBatchLines, the values as above; raises "File list is empty" or "Template is
// empty". Line breaks and any character stay (single quotes hold them).
QStringList BuildShellScriptLines(const TItemList& list, const QString& scriptTemplate, bool noDuplicates,
                                  const QString& mountFolder, const QLocale& locale = QLocale());
// Writes "#!/bin/sh" and the lines in UTF-8, each ended by LF, and makes the file
// executable for its owner.
void WriteShellScript(const QString& path, const QStringList& lines);
