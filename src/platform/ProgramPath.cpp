#include "platform/ProgramPath.h"

#include <QDir>
#include <QFileInfo>

// The fuzz build compiles this file without the build's definitions; these defaults
// match them (GNUInstallDirs under any prefix).
#ifndef KESTROVA_SMB_AGENT_NAME
#define KESTROVA_SMB_AGENT_NAME "kestrova-smb-agent"
#endif
#ifndef KESTROVA_AGENT_FROM_BINDIR
#define KESTROVA_AGENT_FROM_BINDIR "../libexec/kestrova"
#endif
#ifndef KESTROVA_MANUAL_FROM_BINDIR
#define KESTROVA_MANUAL_FROM_BINDIR "../share/doc/kestrova/manual"
#endif

namespace {

const QString kAgentName = QStringLiteral(KESTROVA_SMB_AGENT_NAME);

QString InstalledAgentPath(const QString& programFolder)
{
    return QDir::cleanPath(programFolder + QStringLiteral("/" KESTROVA_AGENT_FROM_BINDIR "/") + kAgentName);
}

} // namespace

QString ProgramFilePath()
{
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
}

QString ProgramFolder()
{
    const QString program = ProgramFilePath();
    return program.isEmpty() ? QString() : QFileInfo(program).absolutePath();
}

QString ReplaceFileExtension(const QString& path, const QString& extension)
{
    const qsizetype nameStart = path.lastIndexOf(u'/') + 1;
    const qsizetype dot = path.lastIndexOf(u'.');
    // A dot at the very start of the name (".kestrova") begins a hidden name, not an extension.
    if (dot > nameStart)
        return path.left(dot) + extension;
    return path + extension;
}

bool IsInstalledCopy(const QString& programPath)
{
    if (programPath.isEmpty())
        return false;
    const QString folder = QFileInfo(programPath).absolutePath();
    return !QFileInfo::exists(folder + u'/' + kAgentName) && QFileInfo::exists(InstalledAgentPath(folder));
}

QString SmbAgentPath()
{
    const QString folder = ProgramFolder();
    QString beside = folder + u'/' + kAgentName;
    if (!QFileInfo::exists(beside) && QFileInfo::exists(InstalledAgentPath(folder)))
        return InstalledAgentPath(folder);
    return beside;
}

QString ManualFilePath()
{
    // Exact text: the variable and the manual's places are what packagers and the
    // manual tests set up.
    QString fromEnvironment = qEnvironmentVariable("KESTROVA_MANUAL");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    const QString folder = ProgramFolder();
    for (const QString& candidate :
         {folder + QStringLiteral("/manual/index.html"),
          QDir::cleanPath(folder + QStringLiteral("/" KESTROVA_MANUAL_FROM_BINDIR "/index.html"))}) {
        if (QFileInfo::exists(candidate))
            return candidate;
    }
    return {};
}
