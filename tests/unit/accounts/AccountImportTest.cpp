#include "accounts/AccountImport.h"

#include "model/Error.h"
#include "support/QStringPrinter.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {

using Accounts = QList<TUnicodeAccount>;

TEST(AccountImportTest, FieldsBecomeComputerUserAndPassword)
{
    const Accounts accounts = ParseAccountImportText("fileserv;anna;secret\r\n"
                                                     "\\\\srv\\docs;bob\n"
                                                     "\r\n"
                                                     "   \t \n"
                                                     "*;guest;;ignored;more\r"
                                                     "pc9\n",
                                                     u';');
    EXPECT_EQ(accounts, Accounts({{"\\\\fileserv", "anna", "secret"},
                                  {"\\\\srv\\docs", "bob", ""},
                                  {"\\\\*", "guest", ""},
                                  {"\\\\pc9", "", ""}}));
}

TEST(AccountImportTest, QuotesKeepBlanksAndSeparatorsInsideAField)
{
    const Accounts accounts = ParseAccountImportText("pc1;anna;\"pass word\"\n"
                                                     "pc2;anna;pass word\n"
                                                     "\"pc;3\";\"say \"\"hi\"\"\";\"unclosed; rest\n",
                                                     u';');
    ASSERT_EQ(accounts.size(), 3);
    EXPECT_EQ(accounts[0].Password, "pass word");
    // Unquoted, the blank ends the field; the rest would be a fourth field.
    EXPECT_EQ(accounts[1].Password, "pass");
    EXPECT_EQ(accounts[2], TUnicodeAccount("\\\\pc;3", "say \"hi\"", "unclosed; rest"));
}

TEST(AccountImportTest, EmptyFieldsFromSeparators)
{
    // Two separators in a row give an empty field; one at the very end an empty last
    // field; a line that starts with one has an empty computer (in UNC form).
    const Accounts accounts = ParseAccountImportText("pc1;;pw\n;user;pw\n pc2 ; user ;\n", u';');
    EXPECT_EQ(accounts, Accounts({{"\\\\pc1", "", "pw"}, {"\\\\", "user", "pw"}, {"\\\\pc2", "user", ""}}));
}

TEST(AccountImportTest, TabSeparatedFilesKeepTheirColumns)
{
    const Accounts accounts = ParseAccountImportText("pc1\t\tpw\npc2\tuser\tpw\n", u'\t');
    EXPECT_EQ(accounts, Accounts({{"\\\\pc1", "", "pw"}, {"\\\\pc2", "user", "pw"}}));
}

TEST(AccountImportTest, FileEncodingsByByteOrderMark)
{
    TempDir dir;
    const QString text = QString::fromUtf8("pc1,J\xC3\xBCrgen,\xE2\x82\xAC\xC3\xA9\n");
    const TUnicodeAccount expected("\\\\pc1", QString::fromUtf8("J\xC3\xBCrgen"),
                                   QString::fromUtf8("\xE2\x82\xAC\xC3\xA9"));

    QByteArray utf16le("\xFF\xFE", 2);
    utf16le.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    QByteArray utf16be("\xFE\xFF", 2);
    for (const QChar ch : text) {
        utf16be.append(char(ch.unicode() >> 8));
        utf16be.append(char(ch.unicode() & 0xFF));
    }
    const QByteArray files[] = {
        "\xEF\xBB\xBF" + text.toUtf8(), utf16le, utf16be,
        QByteArray("pc1,J\xFCrgen,\x80\xE9\n"), // no mark: Windows-1252
    };
    int n = 0;
    for (const QByteArray& bytes : files) {
        const QString path = dir.write(QString("f%1.csv").arg(n++), bytes);
        EXPECT_EQ(ReadAccountImportFile(path, ","), Accounts({expected})) << n;
    }
}

TEST(AccountImportTest, SizeLimitIsOneMebibyte)
{
    TempDir dir;
    QByteArray bytes = "pc1;anna;pw\r\n";
    bytes.append(kMaxAccountImportBytes - bytes.size(), ' ');
    ASSERT_EQ(bytes.size(), 1048576);
    const QString exact = dir.write("exact.csv", bytes);
    EXPECT_EQ(ReadAccountImportFile(exact, ";"), Accounts({{"\\\\pc1", "anna", "pw"}}));

    const QString larger = dir.write("larger.csv", bytes + " ");
    try {
        ReadAccountImportFile(larger, ";");
        FAIL() << "a file above the limit was read";
    } catch (const EKestrovaError& error) {
        EXPECT_EQ(error.message(), "input file is too large");
    }
}

TEST(AccountImportTest, SeparatorOfOtherLengthReadsNothing)
{
    TempDir dir;
    const QString path = dir.write("a.csv", "pc1;anna;pw\n");
    EXPECT_TRUE(ReadAccountImportFile(path, "").isEmpty());
    EXPECT_TRUE(ReadAccountImportFile(path, ";;").isEmpty());
    // Nothing is read at all: a missing file is no error then.
    EXPECT_TRUE(ReadAccountImportFile(dir.file("missing.csv"), "").isEmpty());
}

TEST(AccountImportTest, UnreadableFilesRaiseWithTheReason)
{
    TempDir dir;
    EXPECT_THROW(ReadAccountImportFile(dir.file("missing.csv"), ";"), EKestrovaError);
    EXPECT_THROW(ReadAccountImportFile(dir.path(), ";"), EKestrovaError); // a folder
}

TEST(AccountImportTest, HeaderRowsCommentsAndSentencesAreNoAccounts)
{
    const TAccountImport result = ParseAccountImport("\"Computer\";\"User\";\"Password\"\n"
                                                     "# exported 2024-02-05\n"
                                                     "pc1;anna;pw\n"
                                                     "see the wiki for the rest\n"
                                                     "pc9\n",
                                                     u';');
    EXPECT_EQ(result.Accounts, Accounts({{"\\\\pc1", "anna", "pw"}, {"\\\\pc9", "", ""}}));
    EXPECT_EQ(result.SkippedLines, 3);
    // Only the first line can be a header: a computer named "server" later is one.
    const TAccountImport later = ParseAccountImport("pc1;anna;pw\nserver;bob;x\n", u';');
    EXPECT_EQ(later.Accounts.size(), 2);
    EXPECT_EQ(later.SkippedLines, 0);
}

} // namespace
