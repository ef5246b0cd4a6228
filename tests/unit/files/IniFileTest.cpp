#include "files/IniFile.h"

#include "model/DateTime.h"
#include "model/Error.h"
#include "support/TempDir.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

QByteArray ReadBytes(const QString& path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

TEST(IniFileTest, MissingFileGivesDefaultsAndIsCreatedOnUpdate)
{
    TempDir dir;
    const QString path = dir.file("absent.ini");
    TIniFile ini(path);
    EXPECT_FALSE(ini.SectionExists("Misc"));
    EXPECT_EQ(ini.ReadString("Misc", "InitialDir", "/def"), "/def");
    EXPECT_EQ(ini.ReadInteger("Misc", "MaxThreads", 10), 10);
    EXPECT_TRUE(ini.ReadBool("Misc", "DrawGrid", true));
    EXPECT_EQ(ini.ReadDate("Filters", "DateFrom", 123.5), 123.5);
    EXPECT_FALSE(QFile::exists(path)); // reading never creates the file

    ini.WriteInteger("Misc", "MaxThreads", 3);
    ini.UpdateFile();
    EXPECT_EQ(ReadBytes(path), QByteArray("[Misc]\r\nMaxThreads=3\r\n"));
}

TEST(IniFileTest, SectionAndKeyNamesIgnoreCaseAndTheFirstOccurrenceCounts)
{
    TempDir dir;
    const QString path = dir.write("a.ini", "[misc]\nmaxthreads=5\nMAXTHREADS=6\n[MISC]\nDrawGrid=0\n"
                                            "[View]\n  Width  =  640  \n");
    TIniFile ini(path);
    EXPECT_TRUE(ini.SectionExists("Misc"));
    EXPECT_EQ(ini.ReadInteger("Misc", "MaxThreads", 0), 5);
    EXPECT_TRUE(ini.ReadBool("Misc", "DrawGrid", true)); // only the first [misc] is read
    EXPECT_EQ(ini.ReadInteger("view", "width", 0), 640);

    ini.WriteInteger("MISC", "MaxThreads", 7);
    EXPECT_EQ(ini.ReadInteger("misc", "maxthreads", 0), 7);
    EXPECT_EQ(ini.ToBytes(), QByteArray("[misc]\r\nMaxThreads=7\r\nMAXTHREADS=6\r\n[MISC]\r\nDrawGrid=0\r\n"
                                        "[View]\r\n  Width  =  640  \r\n"));
}

TEST(IniFileTest, WritingKeepsPlacesAndOtherLinesAndAppendsInWriteOrder)
{
    TempDir dir;
    const QString path = dir.write("a.ini", "; hand-written\r\n"
                                            "[Accounts]\r\nCount=8\r\nComputer-7=old\r\n\r\n"
                                            "[Misc]\r\nnot a key line\r\nMaxThreads=10\r\nDrawGrid=1\r\n");
    TIniFile ini(path);
    ini.WriteInteger("Accounts", "Count", 5);
    ini.WriteString("Accounts", "Computer-0", "PC1");
    ini.WriteString("Lists", "ResList", "a,b");
    ini.WriteBool("Misc", "DrawGrid", false);
    ini.WriteString("Misc", "InitialDir", "/srv");
    ini.WriteString("Lists", "History", "");
    EXPECT_EQ(ini.ToBytes(), QByteArray("; hand-written\r\n"
                                        "[Accounts]\r\nCount=5\r\nComputer-7=old\r\nComputer-0=PC1\r\n\r\n"
                                        "[Misc]\r\nnot a key line\r\nMaxThreads=10\r\nDrawGrid=0\r\n"
                                        "InitialDir=/srv\r\n\r\n"
                                        "[Lists]\r\nResList=a,b\r\nHistory=\r\n"));
    EXPECT_EQ(ini.ReadString("Accounts", "Computer-7", ""), "old");
}

TEST(IniFileTest, IntegersAndBooleans)
{
    TempDir dir;
    const QString path =
        dir.write("n.ini", "[N]\n"
                           "dec=263\nneg=-42\nplus=+8\nhex=0x1F\nhexupper=0XfF\nall=0xFFFFFFFF\n"
                           "min=-2147483648\nbig=2147483648\nlonghex=0x100000000\n"
                           "junk=12abc\nempty=\nbare=0x\nspace=1 2\nsign=-\n"
                           "two=2\nzero=0\nyes=yes\n");
    const TIniFile ini(path);
    EXPECT_EQ(ini.ReadInteger("N", "dec", 0), 263);
    EXPECT_EQ(ini.ReadInteger("N", "neg", 0), -42);
    EXPECT_EQ(ini.ReadInteger("N", "plus", 0), 8);
    EXPECT_EQ(ini.ReadInteger("N", "hex", 0), 31);
    EXPECT_EQ(ini.ReadInteger("N", "hexupper", 0), 255);
    EXPECT_EQ(ini.ReadInteger("N", "all", 0), -1);
    EXPECT_EQ(ini.ReadInteger("N", "min", 0), INT32_MIN);
    for (const char* unreadable : {"big", "longhex", "junk", "empty", "bare", "space", "sign", "missing"})
        EXPECT_EQ(ini.ReadInteger("N", unreadable, -7), -7) << unreadable;

    EXPECT_TRUE(ini.ReadBool("N", "two", false));
    EXPECT_TRUE(ini.ReadBool("N", "neg", false));
    EXPECT_FALSE(ini.ReadBool("N", "zero", true));
    EXPECT_TRUE(ini.ReadBool("N", "yes", true));
    EXPECT_FALSE(ini.ReadBool("N", "yes", false));
}

TEST(IniFileTest, HandWrittenValuesLoseSurroundingBlanksAndOnePairOfQuotes)
{
    EXPECT_EQ(DecodeIniValue("  plain text \t"), "plain text");
    EXPECT_EQ(DecodeIniValue(" \"quoted \" "), "quoted ");
    EXPECT_EQ(DecodeIniValue("'single'"), "single");
    EXPECT_EQ(DecodeIniValue("\"mixed'"), "\"mixed'");
    EXPECT_EQ(DecodeIniValue("\"\"twice\"\""), "\"twice\"");
    EXPECT_EQ(DecodeIniValue("\""), "\"");
    EXPECT_EQ(DecodeIniValue("a=b"), "a=b");
}

TEST(IniFileTest, EveryWrittenValueReadsBackExactly)
{
    const QString values[] = {
        "",
        " leading",
        "trailing\t",
        "   ",
        "\"quoted\"",
        "'single'",
        "\"",
        "''",
        "\" \"",
        "\"open",
        "key=value;comment",
        "[NotASection]",
        "~*.doc, *.xls~,~a b~",
        QString::fromUtf8("Grüße \xE2\x82\xAC \xF0\x9F\x98\x80"),
        QString(5000, u'x') + u',' + QString(3000, u'y'),
        QString("nul") + QChar(0) + "inside",
    };
    TempDir dir;
    const QString path = dir.file("values.ini");
    {
        TIniFile ini(path);
        for (int i = 0; i < static_cast<int>(std::size(values)); ++i)
            ini.WriteString("Values", QString("V%1").arg(i), values[i]);
        ini.UpdateFile();
    }
    const TIniFile reread(path);
    for (int i = 0; i < static_cast<int>(std::size(values)); ++i)
        EXPECT_EQ(reread.ReadString("Values", QString("V%1").arg(i), "<missing>"), values[i]) << i;
}

TEST(IniFileTest, LineBreaksInAValueCannotAddKeysOrSections)
{
    TempDir dir;
    const QString path = dir.file("inject.ini");
    {
        TIniFile ini(path);
        ini.WriteString("Accounts", "Computer-0", "PC\r\n[Accounts]\r\nCount=99\nx");
        ini.WriteInteger("Accounts", "Count", 1);
        ini.UpdateFile();
    }
    const TIniFile reread(path);
    EXPECT_EQ(reread.ReadInteger("Accounts", "Count", 0), 1);
    EXPECT_EQ(reread.ReadString("Accounts", "Computer-0", ""), "PC  [Accounts]  Count=99 x");
}

TEST(IniFileTest, LineEndsByteOrderMarkAndLegacyCodePage)
{
    TempDir dir;
    const TIniFile mixed(dir.write("m.ini", "\xEF\xBB\xBF[A]\nk1=one\rk2=two\r\nk3=three"));
    EXPECT_EQ(mixed.ReadString("A", "k1", ""), "one");
    EXPECT_EQ(mixed.ReadString("A", "k2", ""), "two");
    EXPECT_EQ(mixed.ReadString("A", "k3", ""), "three");

    const TIniFile utf8(dir.write("u.ini", "[A]\nname=caf\xC3\xA9 \xE2\x82\xAC\n"));
    EXPECT_EQ(utf8.ReadString("A", "name", ""), QString::fromUtf8("caf\xC3\xA9 \xE2\x82\xAC"));

    // Not valid UTF-8: taken as Windows-1252 (0x80 is the euro sign there).
    const TIniFile legacy(dir.write("l.ini", "[A]\nname=caf\xE9 \x80\n"));
    EXPECT_EQ(legacy.ReadString("A", "name", ""), QString::fromUtf8("caf\xC3\xA9 \xE2\x82\xAC"));
}

TEST(IniFileTest, DatesAreWrittenInOneFixedFormatAndReadAtMidnight)
{
    TempDir dir;
    TIniFile ini(dir.file("d.ini"));
    const double afternoon = EncodeDateTime({2021, 3, 5, 16, 45, 30});
    ini.WriteDate("Filters", "DateFrom", afternoon);
    EXPECT_EQ(ini.ReadString("Filters", "DateFrom", ""), "2021-03-05");
    EXPECT_EQ(ini.ReadDate("Filters", "DateFrom", 0), EncodeDateTime({2021, 3, 5}));

    const double fallback = 44000.25;
    for (const char* text : {"", "05.03.2021", "3/5/21", "2021-02-30", "yesterday"}) {
        ini.WriteString("Filters", "DateTo", text);
        EXPECT_EQ(ini.ReadDate("Filters", "DateTo", fallback), fallback) << text;
    }
    ini.WriteString("Filters", "DateTo", "2021-3-5");
    EXPECT_EQ(ini.ReadDate("Filters", "DateTo", fallback), EncodeDateTime({2021, 3, 5}));

    ini.WriteDate("Filters", "DateTo", 1e300); // no date: written empty, reads as the default
    EXPECT_EQ(ini.ReadDate("Filters", "DateTo", fallback), fallback);
}

TEST(IniFileTest, NamesThatWouldBreakTheFileAreRefused)
{
    TempDir dir;
    TIniFile ini(dir.file("n.ini"));
    EXPECT_THROW(ini.WriteString("Misc", "a=b", "x"), EKestrovaError);
    EXPECT_THROW(ini.WriteString("Misc", "", "x"), EKestrovaError);
    EXPECT_THROW(ini.WriteString("Misc", "line\nbreak", "x"), EKestrovaError);
    EXPECT_THROW(ini.WriteString("Misc", "[key", "x"), EKestrovaError);
    EXPECT_THROW(ini.WriteString("Mi]sc", "key", "x"), EKestrovaError);
    EXPECT_EQ(ini.ToBytes(), QByteArray());
}

TEST(IniFileTest, AFileThatCannotBeReadIsAnError)
{
    TempDir dir;
    EXPECT_THROW(TIniFile{dir.path()}, EKestrovaError); // a folder
}

} // namespace
