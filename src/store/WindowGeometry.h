#pragma once

#include <QSize>

class TIniFile;

// Position and size of a window, in the settings' own terms. (QRect is avoided on
// purpose: its right/bottom arithmetic overflows for the extreme values a damaged
// settings file may hold.)
struct TWindowBounds {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;

    friend bool operator==(const TWindowBounds&, const TWindowBounds&) = default;
};

// The main window's placement as the settings see it. The main window implements it;
// THeadlessWindowGeometry keeps the values for runs and tests without a window.
class TWindowGeometry {
public:
    virtual ~TWindowGeometry() = default;

    virtual bool IsMaximized() const = 0;
    virtual void Maximize() = 0;
    // Position and size of the window when it is not maximised.
    virtual TWindowBounds Bounds() const = 0;
    virtual void SetBounds(const TWindowBounds& bounds) = 0;
    virtual QSize ScreenSize() const = 0;
};

class THeadlessWindowGeometry : public TWindowGeometry {
public:
    THeadlessWindowGeometry(const QSize& screen, const TWindowBounds& bounds, bool maximized = false)
        : m_screen(screen), m_bounds(bounds), m_maximized(maximized)
    {
    }

    bool IsMaximized() const override { return m_maximized; }
    void Maximize() override { m_maximized = true; }
    TWindowBounds Bounds() const override { return m_bounds; }
    void SetBounds(const TWindowBounds& bounds) override { m_bounds = bounds; }
    QSize ScreenSize() const override { return m_screen; }

private:
    QSize m_screen;
    TWindowBounds m_bounds;
    bool m_maximized;
};

// "View": "Maximized"; when it is false, "Width", "Height", "Top", "Left" (defaults:
// the present size, centred on the screen). Then, either way, the window is kept on
// the screen: a negative left or top edge becomes 0, a width or height larger than
// the screen's becomes the screen's.
void ReadWindowGeometry(const TIniFile& ini, TWindowGeometry& window);

// "Maximized" = 1 and nothing else for a maximised window (older position keys stay
// in the file); otherwise "Maximized" = 0, "Left", "Top", "Width", "Height".
void WriteWindowGeometry(TIniFile& ini, const TWindowGeometry& window);
