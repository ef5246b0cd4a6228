#include "support/IconSamples.h"

TIconImage SampleIcon(int seed)
{
    TIconImage icon(16, 16);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const uint32_t alpha = static_cast<uint32_t>((y * 16 + x + seed * 7) % 256);
            const uint32_t red = static_cast<uint32_t>((x * 17 + seed) % 256);
            const uint32_t green = static_cast<uint32_t>((y * 13 + seed * 3) % 256);
            const uint32_t blue = static_cast<uint32_t>((x * y + seed * 5) % 256);
            icon.setPixel(x, y, (alpha << 24) | (red << 16) | (green << 8) | blue);
        }
    }
    return icon;
}

TIconList SampleIcons(int count)
{
    TIconList icons;
    for (int i = 0; i < count; ++i)
        icons.append(SampleIcon(i));
    return icons;
}

TIconImage NormalisedIcon(const TIconImage& icon)
{
    TIconImage result = icon;
    for (uint32_t& pixel : result.Pixels)
        if ((pixel >> 24) == 0)
            pixel = 0;
    return result;
}

TIconList NormalisedIcons(const TIconList& icons)
{
    TIconList result;
    for (const TIconImage& icon : icons)
        result.append(NormalisedIcon(icon));
    return result;
}
