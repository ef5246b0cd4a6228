#pragma once

#include "store/ByteReader.h"

#include <QByteArray>
#include <cstdint>
#include <vector>

// A bitmap in BMP file form (14-byte file header, 40-byte info header, palette for
// 8 bits or less, uncompressed rows padded to 4 bytes) as the image-list stream
// holds it. Reading keeps a view of the rows and decodes single pixels on demand,
// so a damaged stream that claims a huge bitmap costs no memory: the rows must be
// present in full before anything is decoded.
class TDibView {
public:
    // Reads one bitmap at the reader's position and moves past its rows; 'what'
    // names the bitmap in error messages.
    static TDibView read(TByteReader& in, const char* what);

    int width() const { return m_width; }
    int height() const { return m_height; }
    int bitCount() const { return m_bitCount; }

    // The pixel at (x, y), y counted from the top: 0xAARRGGBB. The alpha byte is
    // the stored one for 32 bits and 0xFF for every other depth.
    uint32_t argb(int x, int y) const;
    // The palette index at (x, y) of a bitmap of 8 bits or less.
    unsigned index(int x, int y) const;

private:
    const unsigned char* row(int y) const;

    int m_width = 0;
    int m_height = 0;
    int m_bitCount = 0;
    bool m_bottomUp = true;
    size_t m_stride = 0;
    const unsigned char* m_rows = nullptr;
    std::vector<uint32_t> m_palette;
};

// Appends a bottom-up 32-bit bitmap: 'pixels' are 0xAARRGGBB, rows from the top,
// stored as B, G, R, A.
void AppendDib32(QByteArray& out, int width, int height, const std::vector<uint32_t>& pixels);
// Appends a bottom-up 1-bit bitmap with the palette {black, white}; 'bits' holds one
// value per pixel, rows from the top, nonzero for a set bit.
void AppendDib1(QByteArray& out, int width, int height, const std::vector<uint8_t>& bits);
