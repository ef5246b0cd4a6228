#include "app/ResultCopyTexts.h"
#include "app/ResultSearch.h"
#include "support/QStringPrinter.h"

#include <QLocale>
#include <gtest/gtest.h>

namespace {

TItemRecord Record(const QString& name, int64_t size = 0, int32_t attrs = 0)
{
    return MakeItemRecord(name, attrs, -1, 0.0, size);
}

TEST(ResultCopyTextsTest, DrivePartOfLocalAndNetworkPaths)
{
    EXPECT_EQ(ExtractFileDrive("C:\\dir\\a.txt"), "C:");
    EXPECT_EQ(ExtractFileDrive("\\\\HOST\\share\\dir\\a.txt"), "\\\\HOST\\share");
    EXPECT_EQ(ExtractFileDrive("\\\\HOST\\share"), "\\\\HOST\\share");
    EXPECT_EQ(ExtractFileDrive("\\\\HOST"), "\\\\HOST");
    EXPECT_EQ(ExtractFileDrive("relative\\a.txt"), "");
    EXPECT_EQ(ExtractFileDrive(""), "");
}

TEST(ResultCopyTextsTest, CaptionsOfASelectedShareHit)
{
    const TItemRecord hit = Record("\\\\PC1\\docs\\2024\\plan & budget.xls");
    const TCopyTexts texts = CopyTextsFor(&hit);
    EXPECT_EQ(texts.fullName, "\\\\PC1\\docs\\2024\\plan & budget.xls");
    EXPECT_EQ(texts.fileName, "plan & budget.xls");
    EXPECT_EQ(texts.filePath, "\\\\PC1\\docs\\2024");
    EXPECT_EQ(texts.fileDrive, "\\\\PC1\\docs");
}

TEST(ResultCopyTextsTest, AnFtpHitHasNoDriveAndNothingSelectedIsEmptyEverywhere)
{
    const TItemRecord hit = Record("ftp://10.0.0.5/pub/readme.txt");
    const TCopyTexts texts = CopyTextsFor(&hit);
    EXPECT_EQ(texts.fileName, "readme.txt");
    EXPECT_EQ(texts.filePath, "ftp://10.0.0.5/pub");
    EXPECT_EQ(texts.fileDrive, "<empty>");

    const TCopyTexts none = CopyTextsFor(nullptr);
    EXPECT_EQ(none.fullName, "<empty>");
    EXPECT_EQ(none.fileName, "<empty>");
    EXPECT_EQ(none.filePath, "<empty>");
    EXPECT_EQ(none.fileDrive, "<empty>");
}

TEST(ResultSearchTest, FindsTheFolderPartWithoutCaseAndDoesNotWrap)
{
    const TItemList items{Record("\\\\PC1\\s\\a.txt"), Record("\\\\PC2\\Reports\\b.txt"),
                          Record("\\\\PC3\\s\\c.txt"), Record("\\\\PC4\\reports\\d.txt")};
    EXPECT_EQ(FindNextItem(items, -1, "REPORTS"), 1);
    EXPECT_EQ(FindNextItem(items, 1, "reports"), 3);
    EXPECT_EQ(FindNextItem(items, 3, "reports"), -1);
    EXPECT_EQ(FindNextItem(items, 3, "reports"), -1); // the same answer again
    EXPECT_EQ(FindNextItem(items, 10, "a"), -1);
    EXPECT_EQ(FindNextItem(TItemList(), -1, "a"), -1);
}

TEST(ResultSearchTest, SummaryCountsEveryRecordAndSumsTheSizes)
{
    QLocale::setDefault(QLocale::c());
    const TItemList items{Record("\\\\H\\s\\a", 600), Record("\\\\H\\s\\b", 600),
                          Record("\\\\H\\s\\d", 0, kAttrDirectory)};
    EXPECT_EQ(ResultSummaryText(items), "Found 3 files, total size 1.17 KB");
    EXPECT_EQ(ResultSummaryText(TItemList()), "Found 0 files, total size 0 bytes");
    QLocale::setDefault(QLocale::system());
}

} // namespace
