#pragma once

#include <QString>
#include <QStringList>

// Computer-list files (.txt): the scope list, one entry per line, in the ANSI code
// page with CR LF line ends. Reading also takes UTF-8 and UTF-16 files that start with
// a byte order mark.

// What the lines of a list file are taken for.
enum class TScopeListKind {
    Computers, // names and masks: each in UNC form and upper case (ComputerListEntry)
    IpRanges,  // range entries: upper case only, since "\\" in front makes a range invalid
};

// The entries of a file, in file order. Blanks around a line are dropped and blank
// lines skipped: they would otherwise become entries that match no computer. Raises
// EKestrovaError when the file cannot be read or is larger than 16 MiB.
QStringList LoadComputerList(const QString& path, TScopeListKind kind = TScopeListKind::Computers);

// Writes every entry followed by CR LF, replacing the file atomically. An empty list
// writes nothing and creates no file; returns whether a file was written. Raises
// EKestrovaError when the file cannot be written (an existing file is then unchanged).
bool SaveComputerList(const QString& path, const QStringList& entries);
