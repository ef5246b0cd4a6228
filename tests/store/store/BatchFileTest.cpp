#include "store/BatchFile.h"

#include "model/Error.h"
#include "support/TempDir.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

TItemRecord Hit(const QString& name)
{
    return MakeItemRecord(name, 0, -1, 0.0, 0);
}

const QString kDocs = QStringLiteral("\\\\PC1\\share\\docs\\a b.txt");

QString ErrorOf(const TItemList& list, const QString& batchTemplate)
{
    try {
        BuildBatchLines(list, batchTemplate, false);
    } catch (const EKestrovaError& error) {
        return error.message();
    }
    return QString();
}

TEST(BatchFileTest, PlaceholdersInAnyCaseBecomeQuotedValues)
{
    EXPECT_EQ(BuildBatchLines({Hit(kDocs)}, "copy <FN> c:\\temp", false),
              QStringList{"copy \"\\\\PC1\\share\\docs\\a b.txt\" c:\\temp"});
    EXPECT_EQ(BuildBatchLines({Hit(kDocs)}, "echo <fd> <fc>", false),
              QStringList{"echo \"\\\\PC1\\share\\docs\" \"PC1\""});
    EXPECT_EQ(BuildBatchLines({Hit(kDocs)}, "<Fn><fN><FC>", false),
              QStringList{"\"\\\\PC1\\share\\docs\\a b.txt\"\"\\\\PC1\\share\\docs\\a b.txt\"\"PC1\""});
    EXPECT_EQ(BuildBatchLines({Hit(kDocs)}, "<F N> <FX> <FN", false), QStringList{"<F N> <FX> <FN"});
}

TEST(BatchFileTest, FolderAndComputerOfOtherNames)
{
    EXPECT_EQ(BatchFolder("C:\\a.txt"), "C:\\");
    EXPECT_EQ(BatchFolder("\\\\PC1\\s\\a.txt"), "\\\\PC1\\s");
    EXPECT_EQ(BatchFolder("\\\\PC1\\s"), "\\\\PC1");
    EXPECT_EQ(BatchFolder("name"), "");
    EXPECT_EQ(BatchComputer("\\\\HOST\\share\\a.txt"), "HOST");
    EXPECT_EQ(BatchComputer("\\\\HOST"), "");
    EXPECT_EQ(BatchComputer(""), "");
    // An FTP hit: no backslash after the third character, the folder ends at the
    // colon of "ftp:".
    EXPECT_EQ(BuildBatchLines({Hit("ftp://HOST/pub/a.txt")}, "x <FC> <FD>", false),
              QStringList{"x \"\" \"ftp:\""});
}

TEST(BatchFileTest, QuotesInsideValuesAreDoubled)
{
    EXPECT_EQ(BatchQuote("say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(BuildBatchLines({Hit("\\\\PC\\s\\\"q\".txt")}, "del <FN>", false),
              QStringList{"del \"\\\\PC\\s\\\"\"q\"\".txt\""});
}

TEST(BatchFileTest, NamesHoldingPlaceholdersAreNotReplacedAgain)
{
    EXPECT_EQ(BuildBatchLines({Hit("\\\\PC\\s\\<FD> and <fc>.txt")}, "type <FN>", false),
              QStringList{"type \"\\\\PC\\s\\<FD> and <fc>.txt\""});
}

TEST(BatchFileTest, DuplicatesAreSkippedOnlyWhenAsked)
{
    const TItemList list = {Hit("\\\\PC1\\s\\Zeta\\b.txt"), Hit("\\\\PC1\\s\\docs\\a.txt"),
                            Hit("\\\\PC1\\s\\docs\\b.txt"), Hit("\\\\PC1\\s\\DOCS\\c.txt"),
                            Hit("\\\\PC1\\s\\alpha\\d.txt")};
    EXPECT_EQ(BuildBatchLines(list, "cd <FD>", false),
              (QStringList{"cd \"\\\\PC1\\s\\Zeta\"", "cd \"\\\\PC1\\s\\docs\"", "cd \"\\\\PC1\\s\\docs\"",
                           "cd \"\\\\PC1\\s\\DOCS\"", "cd \"\\\\PC1\\s\\alpha\""}));
    // Sorted without regard to case; of lines equal but for case the first stays.
    EXPECT_EQ(
        BuildBatchLines(list, "cd <FD>", true),
        (QStringList{"cd \"\\\\PC1\\s\\alpha\"", "cd \"\\\\PC1\\s\\docs\"", "cd \"\\\\PC1\\s\\Zeta\""}));
    EXPECT_EQ(BuildBatchLines(list, "echo done", false).size(), 5);
    EXPECT_EQ(BuildBatchLines(list, "echo done", true), QStringList{"echo done"});
}

TEST(BatchFileTest, EmptyInputsAndUnsafeNamesAreRefused)
{
    EXPECT_EQ(ErrorOf({}, "copy <FN>"), "File list is empty");
    EXPECT_EQ(ErrorOf({Hit(kDocs)}, ""), "Template is empty");
    // A line break would start a command of its own.
    EXPECT_TRUE(ErrorOf({Hit("\\\\PC\\s\\a\r\ndel /q c:\\*")}, "type <FN>").contains("line break"));
    EXPECT_TRUE(ErrorOf({Hit("\\\\PC\\s\\a\nb")}, "echo x").isEmpty()); // no value used
    // A character the code page lacks would become '?', a wildcard to "del".
    EXPECT_TRUE(ErrorOf({Hit(QStringLiteral("\\\\PC\\s\\Жук.txt"))}, "del <FN>").contains("Windows-1252"));
    EXPECT_TRUE(ErrorOf({Hit(QStringLiteral("\\\\PC\\s\\café €.txt"))}, "del <FN>").isEmpty());
}

TEST(BatchFileTest, WritesWindows1252WithCrLf)
{
    TempDir dir;
    const QString path = dir.file("run.bat");
    WriteBatchFile(path, BuildBatchLines({Hit(QStringLiteral("\\\\PC\\s\\café €.txt")), Hit("\\\\PC\\t\\b")},
                                         "copy <FN> c:\\temp", false));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("copy \"\\\\PC\\s\\caf\xE9 \x80.txt\" c:\\temp\r\n"
                                         "copy \"\\\\PC\\t\\b\" c:\\temp\r\n"));
    EXPECT_THROW(WriteBatchFile(dir.file("no/such/run.bat"), {"x"}), EKestrovaError);
}

} // namespace
