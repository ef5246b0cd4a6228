#include "store/ImageListStream.h"

#include "model/Error.h"
#include "store/ByteReader.h"
#include "store/DibBitmap.h"

namespace {

constexpr uint16_t kMagic = 0x4C49; // "IL"
constexpr uint16_t kVersionPortable = 0x0101;
constexpr uint16_t kVersionXp = 0x0600;
constexpr uint16_t kVersionVista = 0x0620;
constexpr uint16_t kFlagMask = 0x0001;
constexpr uint16_t kColour32 = 0x0020;
constexpr int kIconSize = 16;
constexpr int kImagesPerRow = 4;
constexpr uint16_t kGrow = 4;
constexpr uint32_t kNoBackground = 0xFFFFFFFF;

// The icon's pixel at (x, y) of a 16 x 16 cell; icons of another size are sampled
// at the nearest pixel, malformed ones are transparent.
uint32_t CellPixel(const TIconImage& icon, int x, int y)
{
    if (icon.Width <= 0 || icon.Height <= 0 ||
        icon.Pixels.size() != static_cast<size_t>(icon.Width) * static_cast<size_t>(icon.Height))
        return 0;
    return icon.pixel(x * icon.Width / kIconSize, y * icon.Height / kIconSize);
}

bool CellHasAlpha(const TDibView& colour, int left, int top, int cx, int cy)
{
    if (colour.bitCount() != 32)
        return false;
    for (int y = 0; y < cy; ++y)
        for (int x = 0; x < cx; ++x)
            if (colour.argb(left + x, top + y) >> 24)
                return true;
    return false;
}

} // namespace

QByteArray WriteImageListStream(const TIconList& icons)
{
    // cMaxImage (count + 1) is a 16-bit field.
    if (icons.size() > 0xFFFE)
        throw EKestrovaError(QStringLiteral("Too many icons for an image list: %1").arg(icons.size()));
    const int count = static_cast<int>(icons.size());
    const int capacity = count + 1;
    const int width = kImagesPerRow * kIconSize;
    const int height = (capacity + kImagesPerRow - 1) / kImagesPerRow * kIconSize;

    // Unused cells stay black and transparent.
    std::vector<uint32_t> colour(static_cast<size_t>(width) * height, 0);
    std::vector<uint8_t> mask(colour.size(), 1);
    for (int i = 0; i < count; ++i) {
        const int left = i % kImagesPerRow * kIconSize;
        const int top = i / kImagesPerRow * kIconSize;
        for (int y = 0; y < kIconSize; ++y) {
            for (int x = 0; x < kIconSize; ++x) {
                const uint32_t argb = CellPixel(icons[i], x, y);
                const size_t at = static_cast<size_t>(top + y) * width + left + x;
                // A fully transparent pixel is black under a set mask bit, so that
                // readers that ignore alpha draw it transparent too.
                const bool transparent = (argb >> 24) == 0;
                colour[at] = transparent ? 0 : argb;
                mask[at] = transparent ? 1 : 0;
            }
        }
    }

    QByteArray out;
    char header[28];
    StoreLE16(header, kMagic);
    StoreLE16(header + 2, kVersionPortable);
    StoreLE16(header + 4, static_cast<uint16_t>(count));
    StoreLE16(header + 6, static_cast<uint16_t>(capacity));
    StoreLE16(header + 8, kGrow);
    StoreLE16(header + 10, kIconSize);
    StoreLE16(header + 12, kIconSize);
    StoreLE32(header + 14, kNoBackground);
    StoreLE16(header + 18, kColour32 | kFlagMask);
    for (int i = 0; i < 4; ++i)
        StoreLE16(header + 20 + 2 * i, 0xFFFF); // no overlay images
    out.append(header, sizeof header);
    AppendDib32(out, width, height, colour);
    AppendDib1(out, width, height, mask);
    return out;
}

TIconList ReadImageListStream(const char* data, size_t size)
{
    // Exact text: the prefix of every damaged-icon message; the results tests match it.
    const char* what = "Image list";
    TByteReader in(data, size);
    if (in.u16(what) != kMagic)
        throw EKestrovaError(QStringLiteral("Image list: the signature \"IL\" is missing"));
    const uint16_t version = in.u16(what);
    if (version != kVersionPortable && version != kVersionXp && version != kVersionVista)
        throw EKestrovaError(QStringLiteral("Image list: unsupported version 0x%1").arg(version, 0, 16));
    const int count = in.u16(what);
    in.skip(4, what); // capacity, growth step
    const int cx = in.u16(what);
    const int cy = in.u16(what);
    in.skip(4, what); // background colour
    const uint16_t flags = in.u16(what);
    in.skip(8, what); // overlay indexes

    const TDibView colour = TDibView::read(in, "Image list colour bitmap");
    TDibView mask;
    const bool hasMask = (flags & kFlagMask) != 0;
    if (hasMask) {
        mask = TDibView::read(in, "Image list mask bitmap");
        if (mask.width() != colour.width() || mask.height() != colour.height())
            throw EKestrovaError(
                QStringLiteral("Image list: the mask bitmap is %1 x %2, the colour bitmap %3 x %4")
                    .arg(mask.width())
                    .arg(mask.height())
                    .arg(colour.width())
                    .arg(colour.height()));
        if (mask.bitCount() > 8)
            throw EKestrovaError(
                QStringLiteral("Image list: the mask bitmap has %1 bits per pixel").arg(mask.bitCount()));
    }

    TIconList icons;
    if (count == 0)
        return icons;
    if (cx == 0 || cy == 0)
        throw EKestrovaError(QStringLiteral("Image list: invalid image size %1 x %2").arg(cx).arg(cy));
    // The bitmap's shape says how the images are laid out: four to a row in the
    // portable form, one column in the newer ones.
    const int perRow = colour.width() / cx;
    const int rows = colour.height() / cy;
    if (static_cast<int64_t>(perRow) * rows < count)
        throw EKestrovaError(
            QStringLiteral("Image list: a bitmap of %1 x %2 cannot hold %3 images of %4 x %5")
                .arg(colour.width())
                .arg(colour.height())
                .arg(count)
                .arg(cx)
                .arg(cy));

    icons.reserve(count);
    for (int i = 0; i < count; ++i) {
        const int left = i % perRow * cx;
        const int top = i / perRow * cy;
        // A 32-bit image whose alpha channel is all zero is opaque: alpha was not
        // in use when it was made.
        const bool hasAlpha = CellHasAlpha(colour, left, top, cx, cy);
        TIconImage icon(cx, cy);
        for (int y = 0; y < cy; ++y) {
            for (int x = 0; x < cx; ++x) {
                uint32_t argb = colour.argb(left + x, top + y);
                if (!hasAlpha)
                    argb |= 0xFF000000u;
                if (hasMask && !hasAlpha && mask.index(left + x, top + y) != 0)
                    argb = 0;
                if ((argb >> 24) == 0)
                    argb = 0;
                icon.setPixel(x, y, argb);
            }
        }
        icons.append(std::move(icon));
    }
    return icons;
}
