#include "app/ToolbarIcons.h"

#include <QApplication>
#include <QHash>
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
    return CommandIcon(QStringLiteral("media-playback-stop"));
}
