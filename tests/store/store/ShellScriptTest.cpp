#include "model/Error.h"
#include "store/BatchFile.h"
#include "support/QStringPrinter.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

TItemRecord Hit(const QString& name)
{
    return MakeItemRecord(name, 0, -1, 0.0, 0);
}

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

TEST(ShellScriptTest, SingleQuotesHoldEverythingAndAQuoteIsClosedEscapedAndReopened)
{
    EXPECT_EQ(ShellQuote("a b"), "'a b'");
    EXPECT_EQ(ShellQuote("it's"), "'it'\\''s'");
    EXPECT_EQ(ShellQuote("''"), "''\\'''\\'''");
    EXPECT_EQ(ShellQuote("$HOME `x` \"y\" \\n"), "'$HOME `x` \"y\" \\n'");
    EXPECT_EQ(ShellQuote(""), "''");
}

TEST(ShellScriptTest, NamesBecomeSmbAddressesOrPathsBelowTheMountFolder)
{
    const QString name = "\\\\PC1\\share\\docs\\it's 100%.txt";
    EXPECT_EQ(ShellPathOf(name, ""), "smb://PC1/share/docs/it%27s%20100%25.txt");
    EXPECT_EQ(ShellPathOf(name, "/mnt/net"), "/mnt/net/PC1/share/docs/it's 100%.txt");
    EXPECT_EQ(ShellPathOf(name, "/mnt/net//"), "/mnt/net/PC1/share/docs/it's 100%.txt");
    EXPECT_EQ(ShellPathOf(name, "/"), "/PC1/share/docs/it's 100%.txt");
    EXPECT_EQ(ShellPathOf("ftp://10.0.0.5/pub/a b.txt", "/mnt/net"), "ftp://10.0.0.5/pub/a%20b.txt");
}

TEST(ShellScriptTest, PlaceholdersInAnyCaseBecomeSingleQuotedValues)
{
    const TItemList list{Hit("\\\\PC1\\share\\docs\\a b.txt"), Hit("ftp://10.0.0.5/pub/x.txt")};
    EXPECT_EQ(BuildShellScriptLines(list, "cp <FN> /tmp # <fd> <Fc>", false, ""),
              QStringList({"cp 'smb://PC1/share/docs/a%20b.txt' /tmp # 'smb://PC1/share/docs' 'PC1'",
                           "cp 'ftp://10.0.0.5/pub/x.txt' /tmp # 'ftp://10.0.0.5/pub' '10.0.0.5'"}));
    EXPECT_EQ(BuildShellScriptLines({list[0]}, "cp <FN> <FD>", false, "/media/lan"),
              QStringList({"cp '/media/lan/PC1/share/docs/a b.txt' '/media/lan/PC1/share/docs'"}));
}

TEST(ShellScriptTest, DuplicatesAndTheRefusalsWorkAsForBatchFiles)
{
    const TItemList list{Hit("\\\\PC1\\s\\b.txt"), Hit("\\\\PC1\\s\\a.txt"), Hit("\\\\PC0\\s\\c.txt")};
    EXPECT_EQ(BuildShellScriptLines(list, "ls <FD>", true, ""),
              QStringList({"ls 'smb://PC0/s'", "ls 'smb://PC1/s'"}));
    EXPECT_EQ(BuildShellScriptLines(list, "ls <FD>", false, "").size(), 3);
    try {
        BuildShellScriptLines({}, "ls <FN>", false, "");
        FAIL();
    } catch (const EKestrovaError& error) {
        EXPECT_EQ(error.message(), "File list is empty");
    }
    try {
        BuildShellScriptLines(list, "", false, "");
        FAIL();
    } catch (const EKestrovaError& error) {
        EXPECT_EQ(error.message(), "Template is empty");
    }
}

TEST(ShellScriptTest, TheWrittenScriptRunsInShAndGetsEveryNameBackUnchanged)
{
    // Quotes, a line break, shell syntax and a character outside the BMP: sh must
    // hand each one to printf as a single argument.
    const QStringList awkward{QString::fromUtf8("it's \"odd\" $(echo no) `x` \xF0\x9F\x98\x80.txt"),
                              "two\nlines;.txt", "pipe | amp & *.txt"};
    TItemList list;
    for (const QString& name : awkward)
        list.append(Hit("\\\\PC1\\share\\" + name));
    TempDir dir;
    const QString script = dir.file("names.sh");
    WriteShellScript(script, BuildShellScriptLines(list, "printf '[%s]\\n' <FN>", false, "/mnt/net"));

    const QByteArray bytes = ReadFile(script);
    EXPECT_TRUE(bytes.startsWith("#!/bin/sh\nprintf "));
    EXPECT_FALSE(bytes.contains('\r'));
    EXPECT_TRUE(bytes.endsWith("'\n"));
    EXPECT_TRUE(QFile::permissions(script) & QFileDevice::ExeOwner);

    const TProgramResult run = RunProgram(script, {});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    QString expected;
    for (const QString& name : awkward)
        expected += "[/mnt/net/PC1/share/" + name + "]\n";
    EXPECT_EQ(QString::fromUtf8(run.output), expected);
}

} // namespace
