#pragma once

#include "model/ItemRecord.h"

#include <QHash>
#include <QIcon>
#include <QImage>
#include <QList>
#include <QMimeDatabase>

// The program's small-icon list: one 16x16 icon per file type, taken from the desktop
// icon theme, added the first time a type is met. Records hold indexes into it; a
// results file saves it as its icon list. The list only grows while the program runs.
//
// The type of a hit comes from its name alone (never from the file, which may sit on
// a slow network host): a folder hit gets the folder icon, anything else the icon of
// the type its extension names. Main thread only (QIcon/QPixmap).
class TIconCache {
public:
    static constexpr int kIconSize = 16;

    TIconCache();

    // The index for a hit, adding its type's icon when it is new; -1 when the theme
    // has no icon for the type nor for its generic kind.
    int indexFor(const TItemRecord& hit);
    int indexForName(const QString& name, bool folder);

    const QList<QIcon>& icons() const { return m_icons; }
    // The icons as 16x16 ARGB images, in list order (for a results file).
    const QList<QImage>& images() const { return m_images; }

    // Sets the theme search path and the fallback theme so that file-type icons are
    // found also where no desktop platform theme chose one (offscreen, Xvfb, bare X).
    static void prepareIconTheme();

private:
    int indexForType(const QMimeType& type);
    int append(const QIcon& icon);

    QMimeDatabase m_mimeDatabase;
    QHash<QString, int> m_byName; // lower-cased name suffix -> index
    QHash<QString, int> m_byType; // MIME type name -> index
    QList<QIcon> m_icons;
    QList<QImage> m_images;
    int m_folderIndex = -2; // -2: not looked up yet
};
