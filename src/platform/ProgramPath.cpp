#include "platform/ProgramPath.h"

#include <QFileInfo>

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
