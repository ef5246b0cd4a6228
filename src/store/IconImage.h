#pragma once

#include <QList>
#include <cstdint>
#include <vector>

// A small icon as plain data, so that results files and headless runs need no GUI
// library: rows from the top, each pixel 0xAARRGGBB with straight (not
// premultiplied) alpha. The GUI converts to and from its image type.
struct TIconImage {
    int Width = 0;
    int Height = 0;
    std::vector<uint32_t> Pixels; // Width * Height values

    TIconImage() = default;
    TIconImage(int width, int height, uint32_t fill = 0)
        : Width(width), Height(height), Pixels(static_cast<size_t>(width) * height, fill)
    {
    }

    uint32_t pixel(int x, int y) const { return Pixels[static_cast<size_t>(y) * Width + x]; }
    void setPixel(int x, int y, uint32_t argb) { Pixels[static_cast<size_t>(y) * Width + x] = argb; }

    friend bool operator==(const TIconImage&, const TIconImage&) = default;
};

// The icons of a result list in order; a record's ImageIndex indexes into it.
using TIconList = QList<TIconImage>;
