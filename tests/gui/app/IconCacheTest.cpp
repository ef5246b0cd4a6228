#include "app/IconCache.h"

#include "support/GuiTestApplication.h"

#include <gtest/gtest.h>

namespace {

TItemRecord Record(const QString& name, int32_t attrs = 0)
{
    return MakeItemRecord(name, attrs, -1, 0.0, 0);
}

class IconCacheTest : public ::testing::Test {
protected:
    void SetUp() override { EnsureGuiApplication(); }
};

TEST_F(IconCacheTest, OneIconPerFileTypeWhateverTheNameOrHost)
{
    TIconCache cache;
    const int text = cache.indexFor(Record("\\\\PC1\\s\\a.txt"));
    ASSERT_GE(text, 0) << "the Adwaita theme has no text icon: is adwaita-icon-theme installed?";
    EXPECT_EQ(cache.indexFor(Record("\\\\PC2\\t\\B.TXT")), text);
    EXPECT_EQ(cache.indexFor(Record("ftp://10.0.0.5/pub/readme.txt")), text);
    const int image = cache.indexFor(Record("\\\\PC1\\s\\photo.png"));
    ASSERT_GE(image, 0);
    EXPECT_NE(image, text);
    EXPECT_EQ(cache.icons().size(), 2);
}

TEST_F(IconCacheTest, FoldersGetTheFolderIconAndUnknownTypesAGenericOne)
{
    TIconCache cache;
    const int folder = cache.indexFor(Record("\\\\PC1\\s\\photos.png", kAttrDirectory));
    ASSERT_GE(folder, 0);
    EXPECT_EQ(cache.indexFor(Record("\\\\PC1\\s\\other", kAttrDirectory)), folder);
    EXPECT_NE(cache.indexFor(Record("\\\\PC1\\s\\photos.png")), folder);
    const int unknown = cache.indexFor(Record("\\\\PC1\\s\\data.qqqzzz"));
    EXPECT_GE(unknown, 0);
    EXPECT_EQ(cache.indexFor(Record("\\\\PC1\\s\\noextension")), unknown);
}

TEST_F(IconCacheTest, TheListHoldsSixteenPixelImagesThatAreNotBlank)
{
    TIconCache cache;
    cache.indexFor(Record("a.txt"));
    cache.indexFor(Record("a.pdf"));
    ASSERT_EQ(cache.images().size(), cache.icons().size());
    for (const QImage& image : cache.images()) {
        EXPECT_EQ(image.size(), QSize(16, 16));
        bool painted = false;
        for (int y = 0; y < 16 && !painted; ++y)
            for (int x = 0; x < 16 && !painted; ++x)
                painted = qAlpha(image.pixel(x, y)) != 0;
        EXPECT_TRUE(painted);
    }
}

} // namespace
