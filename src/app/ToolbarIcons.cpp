#include "app/ToolbarIcons.h"

#include <QApplication>
#include <QHash>
#include <QPainter>
#include <QPixmap>
#include <QStyle>

namespace {

// Qt's built-in pictures for the theme names the commands use, for desktops whose
// theme lacks them.
QStyle::StandardPixmap FallbackFor(const QString& themeName)
{
    static const QHash<QString, QStyle::StandardPixmap> fallbacks{
        {QStringLiteral("edit-clear"), QStyle::SP_DialogResetButton},
        {QStringLiteral("document-open"), QStyle::SP_DialogOpenButton},
        {QStringLiteral("document-save"), QStyle::SP_DialogSaveButton},
        {QStringLiteral("document-save-as"), QStyle::SP_DialogSaveButton},
        {QStringLiteral("text-x-script"), QStyle::SP_FileIcon},
        {QStringLiteral("edit-find"), QStyle::SP_FileDialogContentsView},
        {QStringLiteral("media-playback-start"), QStyle::SP_MediaPlay},
        {QStringLiteral("media-playback-stop"), QStyle::SP_MediaStop},
        {QStringLiteral("network-workgroup"), QStyle::SP_DriveNetIcon},
        {QStringLiteral("preferences-system"), QStyle::SP_FileDialogDetailedView},
        {QStringLiteral("dialog-password"), QStyle::SP_MessageBoxWarning},
        {QStringLiteral("folder-remote"), QStyle::SP_DriveNetIcon},
        {QStringLiteral("media-eject"), QStyle::SP_BrowserStop},
        {QStringLiteral("help-browser"), QStyle::SP_DialogHelpButton},
        {QStringLiteral("help-about"), QStyle::SP_MessageBoxInformation},
        {QStringLiteral("go-home"), QStyle::SP_DirHomeIcon},
        {QStringLiteral("application-exit"), QStyle::SP_DialogCloseButton},
    };
    return fallbacks.value(themeName, QStyle::SP_CustomBase);
}

} // namespace

QIcon CommandIcon(const QString& themeName)
{
    if (themeName.isEmpty())
        return {};
    QIcon icon = QIcon::fromTheme(themeName);
    if (icon.isNull()) {
        const QStyle::StandardPixmap fallback = FallbackFor(themeName);
        if (fallback != QStyle::SP_CustomBase)
            icon = QApplication::style()->standardIcon(fallback);
    }
    return icon;
}

QIcon StartSearchIcon()
{
    return CommandIcon(QStringLiteral("media-playback-start"));
}

QIcon StopSearchIcon()
{
    // Drawn here: the themes' "media-playback-stop" is a square outline in some and
    // blank at tool bar sizes in others, which reads as an empty box. A filled red
    // square says "stop" on every desktop.
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        const qreal margin = size * 0.18;
        const QRectF square(margin, margin, size - 2 * margin, size - 2 * margin);
        painter.setPen(QPen(QColor(0x8e, 0x1b, 0x1b), std::max(1.0, size / 16.0)));
        painter.setBrush(QColor(0xd3, 0x2f, 0x2f));
        painter.drawRoundedRect(square, size / 10.0, size / 10.0);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}
