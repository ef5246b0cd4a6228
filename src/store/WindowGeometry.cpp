#include "store/WindowGeometry.h"

#include "files/IniFile.h"

namespace {

// Exact text: the window's place is kept under these keys of the settings file
// ([View] Maximized, Left, Top, Width, Height), as earlier versions wrote them.
const QString kView = QStringLiteral("View");

} // namespace

void ReadWindowGeometry(const TIniFile& ini, TWindowGeometry& window)
{
    const QSize screen = window.ScreenSize();
    if (ini.ReadBool(kView, QStringLiteral("Maximized"), false)) {
        window.Maximize();
    } else {
        const TWindowBounds present = window.Bounds();
        // Integer division truncates toward zero, as the centring rule wants.
        const int width = ini.ReadInteger(kView, QStringLiteral("Width"), present.Width);
        const int height = ini.ReadInteger(kView, QStringLiteral("Height"), present.Height);
        const int top =
            ini.ReadInteger(kView, QStringLiteral("Top"), screen.height() / 2 - present.Height / 2);
        const int left =
            ini.ReadInteger(kView, QStringLiteral("Left"), screen.width() / 2 - present.Width / 2);
        window.SetBounds({left, top, width, height});
    }

    TWindowBounds bounds = window.Bounds();
    if (bounds.Left < 0)
        bounds.Left = 0;
    if (bounds.Top < 0)
        bounds.Top = 0;
    if (bounds.Width > screen.width())
        bounds.Width = screen.width();
    if (bounds.Height > screen.height())
        bounds.Height = screen.height();
    window.SetBounds(bounds);
}

void WriteWindowGeometry(TIniFile& ini, const TWindowGeometry& window)
{
    if (window.IsMaximized()) {
        ini.WriteBool(kView, QStringLiteral("Maximized"), true);
        return;
    }
    const TWindowBounds bounds = window.Bounds();
    ini.WriteBool(kView, QStringLiteral("Maximized"), false);
    ini.WriteInteger(kView, QStringLiteral("Left"), bounds.Left);
    ini.WriteInteger(kView, QStringLiteral("Top"), bounds.Top);
    ini.WriteInteger(kView, QStringLiteral("Width"), bounds.Width);
    ini.WriteInteger(kView, QStringLiteral("Height"), bounds.Height);
}
