#include "model/LogCategories.h"

#include "support/TraceCapture.h"

#include <gtest/gtest.h>

namespace {

TEST(LogCategoriesTest, CategoriesCarryTheDocumentedNames)
{
    EXPECT_STREQ(kestrovaSmb().categoryName(), "kestrova.smb");
    EXPECT_STREQ(kestrovaFtp().categoryName(), "kestrova.ftp");
    EXPECT_STREQ(kestrovaProbe().categoryName(), "kestrova.probe");
    EXPECT_STREQ(kestrovaEngine().categoryName(), "kestrova.engine");
}

TEST(LogCategoriesTest, DebugAndInfoAreOffAndWarningsOnByDefault)
{
    for (const QLoggingCategory* category :
         {&kestrovaSmb(), &kestrovaFtp(), &kestrovaProbe(), &kestrovaEngine()}) {
        EXPECT_FALSE(category->isDebugEnabled()) << category->categoryName();
        EXPECT_FALSE(category->isInfoEnabled()) << category->categoryName();
        EXPECT_TRUE(category->isWarningEnabled()) << category->categoryName();
    }
}

TEST(LogCategoriesTest, ARuleTurnsOnOneCategoryAndItsEndTurnsItOff)
{
    {
        TraceCapture trace("kestrova.probe");
        EXPECT_TRUE(kestrovaProbe().isDebugEnabled());
        EXPECT_FALSE(kestrovaSmb().isDebugEnabled());
        qCDebug(kestrovaProbe) << "probe trace";
        qCDebug(kestrovaSmb) << "smb trace";
        EXPECT_EQ(trace.messages(), QStringList{QStringLiteral("probe trace")});
    }
    EXPECT_FALSE(kestrovaProbe().isDebugEnabled());
}

} // namespace
