#include "support/ShotFiles.h"

#include <QDir>
#include <QPixmap>
#include <QWidget>

void SaveShotIfAsked(QWidget* widget, const QString& name)
{
    const QString folder = qEnvironmentVariable("KESTROVA_SHOTS");
    if (folder.isEmpty())
        return;
    QDir().mkpath(folder);
    widget->grab().save(folder + u'/' + name + QStringLiteral(".png"));
}
