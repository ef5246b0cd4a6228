#pragma once

#include <QString>

// The full path of the running program (/proc/self/exe), without needing a
// QCoreApplication; empty if the kernel does not tell.
QString ProgramFilePath();

// The folder that holds the running program.
QString ProgramFolder();

// The path with the extension of its last component replaced by the given one
// (which includes its dot), or the extension appended when there is none:
// "/opt/kestrova/kestrova" -> "/opt/kestrova/kestrova.ini".
QString ReplaceFileExtension(const QString& path, const QString& extension);

// An installed copy: the program in a bin folder with its SMB agent in the libexec
// folder beside it (KESTROVA_AGENT_FROM_BINDIR), not in the program's own folder as
// in the build tree or a portable copy. True for the given program path.
bool IsInstalledCopy(const QString& programPath);

// The SMB agent of the running program: kestrova-smb-agent beside it (build tree,
// portable copy), else the installed one in the libexec folder.
QString SmbAgentPath();

// The offline manual (index.html): the file named by KESTROVA_MANUAL, else
// manual/index.html beside the program (build tree), else the one in the installed
// documentation folder; empty when none exists.
QString ManualFilePath();
