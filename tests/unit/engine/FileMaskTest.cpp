#include "engine/FileMask.h"

#include "model/Error.h"
#include "support/QStringPrinter.h"

#include <QLocale>
#include <gtest/gtest.h>
#include <memory>

namespace {

TEST(FileMaskTest, FoldsEveryLetterTheLocaleKnows)
{
    const QLocale french(QLocale::French, QLocale::France);
    EXPECT_TRUE(TFileMask("é*", french).Matches("École.txt"));
    EXPECT_TRUE(TFileMask("É*", french).Matches("école.txt"));
    EXPECT_TRUE(TFileMask("*.txt", french).Matches("A.TXT"));
    EXPECT_FALSE(TFileMask("*.txt", french).Matches("a.txt.bak"));

    const QLocale russian(QLocale::Russian, QLocale::Russia);
    EXPECT_TRUE(TFileMask("отчёт*", russian).Matches("ОТЧЁТ 2024.doc"));
    const QLocale greek(QLocale::Greek, QLocale::Greece);
    EXPECT_TRUE(TFileMask("σ?", greek).Matches("ΣΑ"));
    EXPECT_TRUE(TFileMask("[ł]*").Matches("Łódź"));
    EXPECT_TRUE(TFileMask("[à-þ]").Matches("Ð"));
}

TEST(FileMaskTest, UsesTheSystemLocaleByDefault)
{
    EXPECT_TRUE(TFileMask("é").Matches("É"));
    EXPECT_TRUE(TFileMask("ÿ").Matches(QString(QChar(0x178)))); // Ÿ lies above code 255
}

TEST(FileMaskTest, SharpSKeepsItsLengthSoQuestionMarksLineUp)
{
    const QLocale german(QLocale::German, QLocale::Germany);
    EXPECT_TRUE(TFileMask("stra?e", german).Matches("Straße"));
    EXPECT_TRUE(TFileMask("straße.txt", german).Matches("STRAßE.TXT"));
    EXPECT_TRUE(TFileMask("*ß*", german).Matches("Fuß"));
    EXPECT_EQ(UpperCaseFileName("straße", german), "STRAßE");
}

TEST(FileMaskTest, TurkishLocaleStillMatchesAsciiNames)
{
    const QLocale turkish(QLocale::Turkish, QLocale::Turkey);
    const TFileMask mask("*file*", turkish);
    EXPECT_TRUE(mask.Matches("PROFILE.DOC"));
    EXPECT_TRUE(mask.Matches("profile.doc"));
    EXPECT_TRUE(TFileMask("ı*", turkish).Matches("Irmak"));
    EXPECT_TRUE(TFileMask("i*", turkish).Matches("İstanbul"));
}

TEST(FileMaskTest, InvalidMaskMessageShowsTheTextAsTyped)
{
    try {
        TFileMask mask("école[a");
        FAIL() << "mask compiled";
    } catch (const EKestrovaError& error) {
        EXPECT_EQ(error.message(), "'école[a' is an invalid mask at (8)");
    }
}

TEST(FileMaskTest, FoldsAlsoWhenUsedThroughTheBaseClass)
{
    const std::unique_ptr<TMask> mask = std::make_unique<TFileMask>("é.txt");
    EXPECT_TRUE(mask->Matches("É.TXT"));
}

} // namespace
