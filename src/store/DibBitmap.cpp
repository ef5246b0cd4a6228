#include "store/DibBitmap.h"

#include "model/Error.h"

namespace {

constexpr uint16_t kBitmapSignature = 0x4D42; // "BM"
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kFileHeaderSize = 14;
// Far beyond any image list, small enough that sizes computed from them cannot
// overflow.
constexpr int64_t kMaxDimension = 1 << 20;

size_t RowStride(int64_t width, int bitCount)
{
    return static_cast<size_t>((width * bitCount + 31) / 32 * 4);
}

[[noreturn]] void Damaged(const char* what, const QString& problem)
{
    throw EKestrovaError(QStringLiteral("%1: %2").arg(QLatin1String(what), problem));
}

void AppendHeaders(QByteArray& out, int width, int height, int bitCount, uint32_t paletteSize)
{
    const size_t imageSize = RowStride(width, bitCount) * static_cast<size_t>(height);
    const uint32_t headersSize = kFileHeaderSize + kInfoHeaderSize + paletteSize;
    char header[kFileHeaderSize + kInfoHeaderSize] = {};
    StoreLE16(header, kBitmapSignature);
    // The image-list stream stores the size of the headers here, not of the whole
    // bitmap; readers go by the info header.
    StoreLE32(header + 2, headersSize);
    StoreLE32(header + 10, headersSize);
    char* info = header + kFileHeaderSize;
    StoreLE32(info, kInfoHeaderSize);
    StoreLE32(info + 4, static_cast<uint32_t>(width));
    StoreLE32(info + 8, static_cast<uint32_t>(height)); // positive: rows bottom-up
    StoreLE16(info + 12, 1);                            // planes
    StoreLE16(info + 14, static_cast<uint16_t>(bitCount));
    StoreLE32(info + 20, static_cast<uint32_t>(imageSize)); // compression 0 at +16
    out.append(header, sizeof header);
}

} // namespace

TDibView TDibView::read(TByteReader& in, const char* what)
{
    if (in.u16(what) != kBitmapSignature)
        Damaged(what, QStringLiteral("the bitmap signature \"BM\" is missing"));
    in.skip(12, what); // file size (unreliable in this stream), reserved, pixel offset
    const uint32_t infoSize = in.u32(what);
    if (infoSize != kInfoHeaderSize)
        Damaged(what, QStringLiteral("unsupported bitmap header size %1").arg(infoSize));
    const int64_t width = in.s32(what);
    const int64_t height = in.s32(what);
    in.skip(2, what); // planes
    const int bitCount = in.u16(what);
    const uint32_t compression = in.u32(what);
    in.skip(20, what); // image size, resolution, colours used and important

    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32)
        Damaged(what, QStringLiteral("unsupported colour depth of %1 bits").arg(bitCount));
    if (compression != 0)
        Damaged(what, QStringLiteral("unsupported bitmap compression %1").arg(compression));
    if (width <= 0 || width > kMaxDimension || height == 0 || height > kMaxDimension ||
        height < -kMaxDimension)
        Damaged(what, QStringLiteral("invalid bitmap size %1 x %2").arg(width).arg(height));

    TDibView view;
    view.m_width = static_cast<int>(width);
    view.m_height = static_cast<int>(height < 0 ? -height : height);
    view.m_bottomUp = height > 0;
    view.m_bitCount = bitCount;
    view.m_stride = RowStride(width, bitCount);
    if (bitCount <= 8) {
        const size_t entries = size_t{1} << bitCount;
        const char* palette = in.take(entries * 4, what);
        view.m_palette.resize(entries);
        for (size_t i = 0; i < entries; ++i)
            view.m_palette[i] = 0xFF000000u | (LoadLE32(palette + 4 * i) & 0x00FFFFFFu);
    }
    view.m_rows = reinterpret_cast<const unsigned char*>(
        in.take(view.m_stride * static_cast<size_t>(view.m_height), what));
    return view;
}

const unsigned char* TDibView::row(int y) const
{
    const int stored = m_bottomUp ? m_height - 1 - y : y;
    return m_rows + static_cast<size_t>(stored) * m_stride;
}

unsigned TDibView::index(int x, int y) const
{
    const unsigned char* r = row(y);
    switch (m_bitCount) {
    case 1:
        return (r[x >> 3] >> (7 - (x & 7))) & 1u;
    case 4:
        return (r[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0Fu;
    case 8:
        return r[x];
    default:
        return 0;
    }
}

uint32_t TDibView::argb(int x, int y) const
{
    const unsigned char* r = row(y);
    switch (m_bitCount) {
    case 16: {
        // 5 bits per channel, the top bit unused.
        const unsigned v = r[2 * x] | (r[2 * x + 1] << 8);
        const auto expand = [](unsigned c) { return (c << 3) | (c >> 2); };
        return 0xFF000000u | (expand((v >> 10) & 31) << 16) | (expand((v >> 5) & 31) << 8) | expand(v & 31);
    }
    case 24: {
        const unsigned char* p = r + 3 * x;
        return 0xFF000000u | (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
    }
    case 32: {
        const unsigned char* p = r + 4 * x;
        return (uint32_t{p[3]} << 24) | (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
    }
    default:
        return m_palette[index(x, y)];
    }
}

void AppendDib32(QByteArray& out, int width, int height, const std::vector<uint32_t>& pixels)
{
    AppendHeaders(out, width, height, 32, 0);
    const size_t stride = RowStride(width, 32);
    QByteArray row(static_cast<qsizetype>(stride), '\0');
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            const uint32_t p = pixels[static_cast<size_t>(y) * width + x];
            char* at = row.data() + 4 * x;
            at[0] = static_cast<char>(p);
            at[1] = static_cast<char>(p >> 8);
            at[2] = static_cast<char>(p >> 16);
            at[3] = static_cast<char>(p >> 24);
        }
        out.append(row);
    }
}

void AppendDib1(QByteArray& out, int width, int height, const std::vector<uint8_t>& bits)
{
    AppendHeaders(out, width, height, 1, 8);
    const char palette[8] = {0, 0, 0, 0, '\xFF', '\xFF', '\xFF', 0};
    out.append(palette, sizeof palette);
    const size_t stride = RowStride(width, 1);
    for (int y = height - 1; y >= 0; --y) {
        QByteArray row(static_cast<qsizetype>(stride), '\0');
        for (int x = 0; x < width; ++x) {
            if (bits[static_cast<size_t>(y) * width + x])
                row[x >> 3] = static_cast<char>(row[x >> 3] | (0x80 >> (x & 7)));
        }
        out.append(row);
    }
}
