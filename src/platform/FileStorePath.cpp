#include "platform/FileStore.h"

#include <algorithm>

namespace FileStorePath {

bool IsUnc(const QString& path)
{
    return path.startsWith(QStringLiteral("\\\\"));
}

QChar Separator(const QString& path)
{
    return IsUnc(path) ? u'\\' : u'/';
}

namespace {

qsizetype FolderLength(const QString& path)
{
    qsizetype at = path.lastIndexOf(Separator(path));
    if (at < 0)
        at = std::max(path.lastIndexOf(u'\\'), path.lastIndexOf(u':'));
    return at + 1;
}

QString Trimmed(const QString& folder)
{
    QString result = folder;
    while (result.size() > 1 && result.endsWith(Separator(result)))
        result.chop(1);
    return result;
}

} // namespace

QString FolderOf(const QString& path)
{
    return path.left(FolderLength(path));
}

QString NameOf(const QString& path)
{
    return path.mid(FolderLength(path));
}

QString Join(const QString& folder, const QString& name)
{
    if (folder.isEmpty() || folder.endsWith(Separator(folder)))
        return folder + name;
    return folder + Separator(folder) + name;
}

bool IsSameOrBelow(const QString& path, const QString& folder)
{
    const Qt::CaseSensitivity sensitivity = IsUnc(folder) ? Qt::CaseInsensitive : Qt::CaseSensitive;
    const QString base = Trimmed(folder);
    const QString candidate = Trimmed(path);
    if (candidate.compare(base, sensitivity) == 0)
        return true;
    const QString prefix = base.endsWith(Separator(base)) ? base : base + Separator(base);
    return candidate.startsWith(prefix, sensitivity);
}

bool IsPlainName(const QString& name)
{
    if (name.isEmpty() || name == u"." || name == u"..")
        return false;
    for (const QChar ch : name) {
        if (ch == u'/' || ch == u'\\' || ch.unicode() == 0)
            return false;
    }
    return true;
}

} // namespace FileStorePath
