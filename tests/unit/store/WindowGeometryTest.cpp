#include "store/WindowGeometry.h"

#include "files/IniFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {

TWindowBounds ReadInto(const QByteArray& text, THeadlessWindowGeometry window)
{
    TempDir dir;
    ReadWindowGeometry(TIniFile(dir.write("g.ini", text)), window);
    return window.Bounds();
}

TEST(WindowGeometryTest, MissingKeysCentreThePresentSize)
{
    // Halves truncate: 1001/2 - 301/2 = 500 - 150.
    EXPECT_EQ(ReadInto("", THeadlessWindowGeometry({1001, 701}, {5, 5, 301, 201})),
              TWindowBounds({350, 250, 301, 201}));
    EXPECT_EQ(ReadInto("[View]\nWidth=400\n", THeadlessWindowGeometry({1000, 700}, {5, 5, 300, 200})),
              TWindowBounds({350, 250, 400, 200})); // centred on the present width, not the new one
}

TEST(WindowGeometryTest, StoredBoundsAreKeptOnTheScreen)
{
    const THeadlessWindowGeometry window({1280, 1024}, {0, 0, 640, 480});
    EXPECT_EQ(ReadInto("[View]\nLeft=-50\nTop=-1\nWidth=5000\nHeight=2000\n", window),
              TWindowBounds({0, 0, 1280, 1024}));
    EXPECT_EQ(ReadInto("[View]\nLeft=2147483647\nTop=10\nWidth=2147483647\nHeight=20\n", window),
              TWindowBounds({2147483647, 10, 1280, 20})); // extreme values do not overflow
    EXPECT_EQ(ReadInto("[View]\nLeft=1200\nTop=900\nWidth=600\nHeight=400\n", window),
              TWindowBounds({1200, 900, 600, 400})); // only the four rules apply
}

TEST(WindowGeometryTest, AMaximisedWindowIgnoresPositionKeysButIsStillClamped)
{
    TempDir dir;
    THeadlessWindowGeometry window({800, 600}, {-10, 20, 1000, 300});
    ReadWindowGeometry(TIniFile(dir.write("g.ini", "[View]\nMaximized=1\nLeft=7\nWidth=9\n")), window);
    EXPECT_TRUE(window.IsMaximized());
    EXPECT_EQ(window.Bounds(), TWindowBounds({0, 20, 800, 300}));
}

} // namespace
