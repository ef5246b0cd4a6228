#include "store/ImageListStream.h"

#include "model/Error.h"
#include "support/IconSamples.h"

#include <cstring>
#include <gtest/gtest.h>

namespace {

uint16_t U16(const QByteArray& b, qsizetype at)
{
    return static_cast<uint16_t>(static_cast<uint8_t>(b[at]) | (static_cast<uint8_t>(b[at + 1]) << 8));
}

uint32_t U32(const QByteArray& b, qsizetype at)
{
    return U16(b, at) | (static_cast<uint32_t>(U16(b, at + 2)) << 16);
}

void Put16(QByteArray& b, uint16_t v)
{
    b.append(static_cast<char>(v));
    b.append(static_cast<char>(v >> 8));
}

void Put32(QByteArray& b, uint32_t v)
{
    Put16(b, static_cast<uint16_t>(v));
    Put16(b, static_cast<uint16_t>(v >> 16));
}

void Set16(QByteArray& b, qsizetype at, uint16_t v)
{
    b[at] = static_cast<char>(v);
    b[at + 1] = static_cast<char>(v >> 8);
}

void Set32(QByteArray& b, qsizetype at, uint32_t v)
{
    Set16(b, at, static_cast<uint16_t>(v));
    Set16(b, at + 2, static_cast<uint16_t>(v >> 16));
}

// Offsets inside a stream this writer produced.
constexpr qsizetype kColourHeader = 28;
constexpr qsizetype kColourInfo = kColourHeader + 14;
constexpr qsizetype kColourPixels = kColourInfo + 40;

QString ErrorOf(const QByteArray& stream)
{
    try {
        ReadImageListStream(stream);
    } catch (const EKestrovaError& error) {
        return error.message();
    }
    return QString();
}

// ---- a test-side bitmap writer for the forms Windows writes (one column) -----

uint32_t PaletteColour(int index)
{
    return 0xFF000000u | static_cast<uint32_t>((index * 37) % 256) << 16 |
           static_cast<uint32_t>((index * 91) % 256) << 8 | static_cast<uint32_t>((index * 53 + 11) % 256);
}

// The value stored for pixel (x, y) of image i: a palette index for 8 bits or
// less, a colour otherwise. 32-bit values carry no alpha, as in lists made without
// it, so the mask decides there too.
uint32_t StoredValue(int bits, int i, int x, int y)
{
    if (bits <= 8)
        return static_cast<uint32_t>((x + 3 * y + 5 * i) % (1 << bits));
    return static_cast<uint32_t>(x * 15) << 16 | static_cast<uint32_t>(y * 15) << 8 |
           static_cast<uint32_t>(i * 60);
}

uint32_t ExpectedColour(int bits, uint32_t stored)
{
    if (bits <= 8)
        return PaletteColour(static_cast<int>(stored));
    if (bits == 16) {
        const auto five = [](uint32_t c) { return (c >> 3) << 3 | (c >> 3) >> 2; };
        return 0xFF000000u | five((stored >> 16) & 0xFF) << 16 | five((stored >> 8) & 0xFF) << 8 |
               five(stored & 0xFF);
    }
    return 0xFF000000u | stored;
}

void AppendBitmap(QByteArray& out, int bits, int width, int height,
                  const std::function<uint32_t(int x, int y)>& value, int heightSign = 1)
{
    const int stride = (width * bits + 31) / 32 * 4;
    const int palette = bits <= 8 ? 4 << bits : 0;
    out.append("BM", 2);
    Put32(out, static_cast<uint32_t>(54 + palette));
    Put32(out, 0);
    Put32(out, static_cast<uint32_t>(54 + palette));
    Put32(out, 40);
    Put32(out, static_cast<uint32_t>(width));
    Put32(out, static_cast<uint32_t>(height * heightSign));
    Put16(out, 1);
    Put16(out, static_cast<uint16_t>(bits));
    Put32(out, 0);
    Put32(out, static_cast<uint32_t>(stride * height));
    for (int i = 0; i < 4; ++i)
        Put32(out, 0);
    for (int i = 0; i < (bits <= 8 ? 1 << bits : 0); ++i)
        Put32(out, PaletteColour(i) & 0xFFFFFF);
    for (int r = 0; r < height; ++r) {
        const int y = heightSign > 0 ? height - 1 - r : r;
        QByteArray row(stride, '\0');
        for (int x = 0; x < width; ++x) {
            const uint32_t v = value(x, y);
            switch (bits) {
            case 1:
                row[x / 8] = static_cast<char>(row[x / 8] | (v ? 0x80 >> (x % 8) : 0));
                break;
            case 4:
                row[x / 2] = static_cast<char>(row[x / 2] | (x % 2 ? v : v << 4));
                break;
            case 8:
                row[x] = static_cast<char>(v);
                break;
            case 16: {
                const uint32_t packed = ((v >> 19) & 31) << 10 | ((v >> 11) & 31) << 5 | ((v >> 3) & 31);
                row[2 * x] = static_cast<char>(packed);
                row[2 * x + 1] = static_cast<char>(packed >> 8);
                break;
            }
            case 24:
                row[3 * x] = static_cast<char>(v);
                row[3 * x + 1] = static_cast<char>(v >> 8);
                row[3 * x + 2] = static_cast<char>(v >> 16);
                break;
            case 32:
                for (int k = 0; k < 4; ++k)
                    row[4 * x + k] = static_cast<char>(v >> (8 * k));
                break;
            }
        }
        out.append(row);
    }
}

// A stream of 'count' 16 x 16 images in one column at 'bits' per pixel, with a
// mask that makes the diagonal of every image transparent.
QByteArray OneColumnStream(uint16_t version, int bits, int count, int heightSign = 1)
{
    QByteArray out;
    Put16(out, 0x4C49);
    Put16(out, version);
    Put16(out, static_cast<uint16_t>(count));
    Put16(out, static_cast<uint16_t>(count + 1));
    Put16(out, 4);
    Put16(out, 16);
    Put16(out, 16);
    Put32(out, 0xFFFFFFFF);
    Put16(out, static_cast<uint16_t>(bits | 1));
    for (int i = 0; i < 4; ++i)
        Put16(out, 0xFFFF);
    const int height = (count + 1) * 16;
    AppendBitmap(
        out, bits, 16, height, [&](int x, int y) { return StoredValue(bits, y / 16, x, y % 16); },
        heightSign);
    AppendBitmap(out, 1, 16, height, [](int x, int y) { return x == y % 16 ? 1u : 0u; });
    return out;
}

// ---- writing -----------------------------------------------------------------

TEST(ImageListStreamTest, WritesThePortableHeaderFourImagesARow)
{
    const QByteArray stream = WriteImageListStream(SampleIcons(5));
    EXPECT_EQ(U16(stream, 0), 0x4C49); // "IL"
    EXPECT_EQ(U16(stream, 2), 0x0101); // version
    EXPECT_EQ(U16(stream, 4), 5);      // images
    EXPECT_EQ(U16(stream, 6), 6);      // capacity: count + 1
    EXPECT_EQ(U16(stream, 8), 4);      // growth step
    EXPECT_EQ(U16(stream, 10), 16);
    EXPECT_EQ(U16(stream, 12), 16);
    EXPECT_EQ(U32(stream, 14), 0xFFFFFFFFu);
    EXPECT_EQ(U16(stream, 18), 0x0021); // 32 bits and a mask
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(U16(stream, 20 + 2 * i), 0xFFFF);

    EXPECT_EQ(stream.mid(kColourHeader, 2), "BM");
    EXPECT_EQ(U32(stream, kColourHeader + 2), 54u); // the stream's quirk: headers only
    EXPECT_EQ(U32(stream, kColourInfo), 40u);
    EXPECT_EQ(U32(stream, kColourInfo + 4), 64u); // 4 images of 16
    EXPECT_EQ(U32(stream, kColourInfo + 8), 32u); // ceil(6 / 4) rows of 16, bottom-up
    EXPECT_EQ(U16(stream, kColourInfo + 14), 32);
    const qsizetype mask = kColourPixels + 64 * 32 * 4;
    EXPECT_EQ(stream.mid(mask, 2), "BM");
    EXPECT_EQ(U16(stream, mask + 14 + 14), 1);         // 1 bit
    EXPECT_EQ(U32(stream, mask + 14 + 40), 0u);        // palette: black,
    EXPECT_EQ(U32(stream, mask + 14 + 44), 0xFFFFFFu); // white
    EXPECT_EQ(stream.size(), mask + 14 + 40 + 8 + 8 * 32);
}

TEST(ImageListStreamTest, RoundTripsPartialTransparency)
{
    const TIconList icons = SampleIcons(9);
    const TIconList back = ReadImageListStream(WriteImageListStream(icons));
    ASSERT_EQ(back.size(), icons.size());
    EXPECT_EQ(back, NormalisedIcons(icons));
}

TEST(ImageListStreamTest, EmptyListRoundTrips)
{
    const QByteArray stream = WriteImageListStream({});
    EXPECT_EQ(U16(stream, 4), 0);
    EXPECT_EQ(U16(stream, 6), 1);
    EXPECT_TRUE(ReadImageListStream(stream).isEmpty());
}

TEST(ImageListStreamTest, MaskAloneKeepsTransparencyForReadersWithoutAlpha)
{
    // A reader that ignores the alpha channel sees an all-zero alpha and must get
    // the transparent pixels from the mask.
    const TIconList icons = SampleIcons(3);
    QByteArray stream = WriteImageListStream(icons);
    for (qsizetype at = kColourPixels + 3; at < kColourPixels + 64 * 16 * 4; at += 4)
        stream[at] = 0;
    const TIconList back = ReadImageListStream(stream);
    ASSERT_EQ(back.size(), 3);
    for (int i = 0; i < 3; ++i) {
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) {
                const uint32_t original = icons[i].pixel(x, y);
                const uint32_t expected = (original >> 24) == 0 ? 0 : (original | 0xFF000000u);
                ASSERT_EQ(back[i].pixel(x, y), expected) << i << " " << x << "," << y;
            }
        }
    }
}

TEST(ImageListStreamTest, ScalesIconsOfAnotherSizeAndToleratesMalformedOnes)
{
    TIconImage big(32, 32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            big.setPixel(x, y, 0xFF000000u | static_cast<uint32_t>(x << 8 | y));
    TIconImage broken(16, 16);
    broken.Pixels.resize(3); // fewer pixels than its size says
    const TIconList back = ReadImageListStream(WriteImageListStream({big, broken}));
    ASSERT_EQ(back.size(), 2);
    EXPECT_EQ(back[0].Width, 16);
    EXPECT_EQ(back[0].pixel(3, 5), big.pixel(6, 10));
    EXPECT_EQ(back[1], TIconImage(16, 16, 0));
}

TEST(ImageListStreamTest, RefusesMoreIconsThanTheHeaderCounts)
{
    TIconList icons;
    icons.resize(0xFFFF, TIconImage(16, 16));
    EXPECT_THROW(WriteImageListStream(icons), EKestrovaError);
}

// ---- reading the other forms ---------------------------------------------------

class ImageListDepthTest : public ::testing::TestWithParam<std::tuple<uint16_t, int>> {};

TEST_P(ImageListDepthTest, ReadsOneColumnFormsAtEveryDepth)
{
    const auto [version, bits] = GetParam();
    for (int heightSign : {1, -1}) {
        const TIconList icons = ReadImageListStream(OneColumnStream(version, bits, 3, heightSign));
        ASSERT_EQ(icons.size(), 3);
        for (int i = 0; i < 3; ++i) {
            ASSERT_EQ(icons[i].Width, 16);
            for (int y = 0; y < 16; ++y) {
                for (int x = 0; x < 16; ++x) {
                    const uint32_t expected = x == y ? 0 : ExpectedColour(bits, StoredValue(bits, i, x, y));
                    ASSERT_EQ(icons[i].pixel(x, y), expected) << "bits " << bits << " image " << i << " at "
                                                              << x << "," << y << " sign " << heightSign;
                }
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Forms, ImageListDepthTest,
                         ::testing::Combine(::testing::Values(uint16_t{0x0600}, uint16_t{0x0620},
                                                              uint16_t{0x0101}),
                                            ::testing::Values(1, 4, 8, 16, 24, 32)));

// ---- damaged streams ---------------------------------------------------------------

TEST(ImageListStreamTest, EveryTruncationIsRejected)
{
    const QByteArray stream = WriteImageListStream(SampleIcons(2));
    for (qsizetype length = 0; length < stream.size(); ++length)
        ASSERT_FALSE(ErrorOf(stream.left(length)).isEmpty()) << "length " << length;
}

TEST(ImageListStreamTest, DamagedHeadersGiveClearMessages)
{
    const QByteArray good = WriteImageListStream(SampleIcons(2));
    const auto damaged = [&](const std::function<void(QByteArray&)>& change) {
        QByteArray copy = good;
        change(copy);
        return ErrorOf(copy);
    };
    EXPECT_TRUE(damaged([](QByteArray& b) { b[0] = 'X'; }).contains("IL"));
    EXPECT_TRUE(damaged([](QByteArray& b) { Set16(b, 2, 0x0700); }).contains("version 0x700"));
    EXPECT_TRUE(damaged([](QByteArray& b) { b[kColourHeader] = 'X'; }).contains("BM"));
    EXPECT_TRUE(damaged([](QByteArray& b) { Set32(b, kColourInfo, 12); }).contains("header size 12"));
    EXPECT_TRUE(damaged([](QByteArray& b) { Set16(b, kColourInfo + 14, 2); }).contains("2 bits"));
    EXPECT_TRUE(damaged([](QByteArray& b) { Set32(b, kColourInfo + 16, 1); }).contains("compression"));
    EXPECT_TRUE(damaged([](QByteArray& b) { Set32(b, kColourInfo + 4, 0); }).contains("invalid bitmap size"));
    EXPECT_TRUE(damaged([](QByteArray& b) {
                    Set32(b, kColourInfo + 8, 0x7FFFFFFF);
                }).contains("invalid bitmap size"));
    EXPECT_TRUE(damaged([](QByteArray& b) {
                    Set32(b, kColourInfo + 8, 0x80000000u);
                }).contains("invalid bitmap size"));
    // A height within limits but far beyond the data.
    EXPECT_TRUE(damaged([](QByteArray& b) { Set32(b, kColourInfo + 8, 0x10000); }).contains("cut short"));
    EXPECT_TRUE(damaged([](QByteArray& b) { Set16(b, 10, 0); }).contains("invalid image size"));
    EXPECT_TRUE(damaged([](QByteArray& b) { Set16(b, 4, 9); }).contains("cannot hold 9 images"));
    EXPECT_TRUE(damaged([](QByteArray& b) { Set16(b, 12, 17); }).contains("cannot hold"));
    const qsizetype maskInfo = kColourPixels + 64 * 16 * 4 + 14;
    EXPECT_TRUE(
        damaged([&](QByteArray& b) { Set32(b, maskInfo + 4, 32); }).contains("mask bitmap is 32 x 16"));
}

TEST(ImageListStreamTest, SurvivesEverySingleByteCorruptionOfTheHeaders)
{
    // Each header byte set to 0x00, 0x7F, 0x80 and 0xFF in turn: the result is a
    // list or an EKestrovaError, never a crash (the sanitizer build checks reads).
    const QByteArray good = WriteImageListStream(SampleIcons(2));
    const qsizetype maskHeaders = kColourPixels + 64 * 16 * 4;
    std::vector<qsizetype> offsets;
    for (qsizetype at = 0; at < kColourPixels; ++at)
        offsets.push_back(at);
    for (qsizetype at = maskHeaders; at < maskHeaders + 62; ++at)
        offsets.push_back(at);
    int rejected = 0;
    for (qsizetype at : offsets) {
        for (char value : {'\x00', '\x7F', '\x80', '\xFF'}) {
            QByteArray copy = good;
            copy[at] = value;
            try {
                const TIconList icons = ReadImageListStream(copy);
                for (const TIconImage& icon : icons)
                    ASSERT_EQ(icon.Pixels.size(), static_cast<size_t>(icon.Width) * icon.Height);
            } catch (const EKestrovaError&) {
                ++rejected;
            }
        }
    }
    EXPECT_GT(rejected, 0);
}

} // namespace
