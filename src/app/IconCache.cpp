#include "app/IconCache.h"

#include <QPainter>

namespace {

// Names map to types by their suffix from the first dot on ("report.tar.gz" ->
// ".tar.gz"); the MIME globs need no more. The cache is bounded: a search over many
// names without extensions would otherwise keep every name.
constexpr qsizetype kNameCacheLimit = 4096;

QString NameKey(const QString& name)
{
    const qsizetype dot = name.indexOf(u'.');
    return (dot < 0 ? name : name.mid(dot)).toLower();
}

QIcon ThemeIcon(const QMimeType& type)
{
    QIcon icon = QIcon::fromTheme(type.iconName());
    if (icon.isNull())
        icon = QIcon::fromTheme(type.genericIconName());
    if (icon.isNull())
        icon = QIcon::fromTheme(QStringLiteral("application-x-generic"));
    return icon;
}

QImage SmallImage(const QIcon& icon)
{
    QImage image(TIconCache::kIconSize, TIconCache::kIconSize, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    icon.paint(&painter, image.rect());
    return image;
}

} // namespace

TIconCache::TIconCache()
{
    prepareIconTheme();
}

void TIconCache::prepareIconTheme()
{
    QStringList paths = QIcon::themeSearchPaths();
    if (!paths.contains(QStringLiteral("/usr/share/icons")))
        paths.append(QStringLiteral("/usr/share/icons"));
    QIcon::setThemeSearchPaths(paths);
    QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));
    if (QIcon::themeName().isEmpty())
        QIcon::setThemeName(QStringLiteral("Adwaita"));
}

int TIconCache::indexFor(const TItemRecord& hit)
{
    return indexForName(ItemName(hit), IsFolderItem(hit));
}

int TIconCache::indexForName(const QString& name, bool folder)
{
    if (folder) {
        if (m_folderIndex == -2)
            m_folderIndex = indexForType(m_mimeDatabase.mimeTypeForName(QStringLiteral("inode/directory")));
        return m_folderIndex;
    }
    const QString key = NameKey(name);
    const auto cached = m_byName.constFind(key);
    if (cached != m_byName.constEnd())
        return cached.value();
    const int index = indexForType(m_mimeDatabase.mimeTypeForFile(name, QMimeDatabase::MatchExtension));
    if (m_byName.size() >= kNameCacheLimit)
        m_byName.clear();
    m_byName.insert(key, index);
    return index;
}

int TIconCache::indexForType(const QMimeType& type)
{
    const auto cached = m_byType.constFind(type.name());
    if (cached != m_byType.constEnd())
        return cached.value();
    const QIcon icon = ThemeIcon(type);
    const int index = icon.isNull() ? -1 : append(icon);
    m_byType.insert(type.name(), index);
    return index;
}

int TIconCache::append(const QIcon& icon)
{
    const QImage image = SmallImage(icon);
    m_images.append(image);
    m_icons.append(QIcon(QPixmap::fromImage(image)));
    return static_cast<int>(m_icons.size() - 1);
}
