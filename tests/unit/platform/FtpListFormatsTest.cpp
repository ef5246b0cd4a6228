#include "platform/FtpListFields.h"
#include "platform/FtpListParser.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

// One listing line per case, grouped by format: each case names what it shows
// and the entry it must give.
namespace {

const DateTimeParts kNow{2024, 6, 15, 12, 0, 0, 0};

double At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
    return EncodeDateTime({year, month, day, hour, minute, second, 0});
}

struct LineCase {
    const char* kind;
    std::string line;
    std::string name;
    bool directory;
    uint64_t size;
    double dateTime; // 0: the line shows no date
};

void ExpectCases(const std::vector<LineCase>& cases, FtpSystem system = FtpSystem::Unknown)
{
    for (const LineCase& c : cases) {
        SCOPED_TRACE(std::string(c.kind) + ": " + c.line);
        const FtpListing listing = ParseFtpListing(QByteArray::fromStdString(c.line), kNow, system);
        ASSERT_EQ(listing.entries.size(), 1u);
        EXPECT_EQ(listing.unreadableLines, 0);
        const FtpRawEntry& entry = listing.entries[0];
        EXPECT_EQ(entry.name.toStdString(), c.name);
        EXPECT_EQ(entry.isDirectory, c.directory);
        EXPECT_EQ(entry.size, c.size);
        EXPECT_DOUBLE_EQ(entry.dateTime, c.dateTime);
    }
}

void ExpectUnreadable(const std::vector<std::string>& lines)
{
    for (const std::string& line : lines) {
        SCOPED_TRACE(line);
        const FtpListing listing = ParseFtpListing(QByteArray::fromStdString(line), kNow);
        EXPECT_TRUE(listing.entries.empty());
        EXPECT_EQ(listing.unreadableLines, 1);
        EXPECT_EQ(listing.firstUnreadableLine.toStdString(), line);
    }
}

TEST(FtpListFormatsTest, UnixNamesKeepEveryBlankAfterTheOneThatEndsTheDate)
{
    ExpectCases({
        {"leading blanks, year", "drwxr-xr-x 2 u g 4096 Jan  5  2020   pub", "  pub", true, 4096,
         At(2020, 1, 5)},
        {"leading blank, time", "-rw-r--r-- 1 u g 7 Jun  1 08:00  pub", " pub", false, 7,
         At(2024, 6, 1, 8, 0)},
        {"trailing blank", "-rw-r--r-- 1 u g 7 Jun  1 08:00 x ", "x ", false, 7, At(2024, 6, 1, 8, 0)},
        {"iso date", "-rw-r--r-- 1 u g 7 2020-01-05 10:00  iso", " iso", false, 7, At(2020, 1, 5, 10, 0)},
        {"netware", "d [RWCEAFMS] sup 512 Jan 05 12:34  SYS", " SYS", true, 512, At(2024, 1, 5, 12, 34)},
    });
    // A folder with leading blanks and a file of the stripped name stay apart.
    const FtpListing listing = ParseFtpListing("drwxr-xr-x 2 u g 4096 Jan  5  2020   pub\n"
                                               "-rw-r--r-- 1 u g 10 Jan  5  2020 pub\n",
                                               kNow);
    ASSERT_EQ(listing.entries.size(), 2u);
    EXPECT_EQ(listing.entries[0].name, "  pub");
    EXPECT_TRUE(listing.entries[0].isDirectory);
    EXPECT_EQ(listing.entries[1].name, "pub");
    EXPECT_FALSE(listing.entries[1].isDirectory);
}

TEST(FtpListFormatsTest, UnixDatesWithMonthNamesInOtherLanguages)
{
    const std::string p = "-rw-r--r-- 1 u g 10 ";
    ExpectCases({
        {"German, abbreviated", p + "M\xC3\xA4r  5  2020 a", "a", false, 10, At(2020, 3, 5)},
        {"German, day first with dot", p + "5. Okt 12:34 a", "a", false, 10, At(2023, 10, 5, 12, 34)},
        {"German, full, upper case", p + "DEZEMBER 24 2019 a", "a", false, 10, At(2019, 12, 24)},
        {"German Mrz", p + "Mrz 1 2021 a", "a", false, 10, At(2021, 3, 1)},
        {"Hungarian with dot", p + "m\xC3\xA1rc.  5 12:34 a", "a", false, 10, At(2024, 3, 5, 12, 34)},
        {"Hungarian szept", p + "szept. 9 2020 a", "a", false, 10, At(2020, 9, 9)},
        {"French janv., day first", p + "5 janv. 2020 a", "a", false, 10, At(2020, 1, 5)},
        {"French f\xC3\xA9vr. in Latin-1", p + "f\xE9vr. 3 2020 a", "a", false, 10, At(2020, 2, 3)},
        {"French ao\xC3\xBBt", p + "ao\xC3\xBBt 15 2020 a", "a", false, 10, At(2020, 8, 15)},
        {"Spanish ene", p + "ene 7 2020 a", "a", false, 10, At(2020, 1, 7)},
        {"Spanish dic, day first", p + "24 dic 2019 a", "a", false, 10, At(2019, 12, 24)},
        {"Italian giu", p + "giu 2 2020 a", "a", false, 10, At(2020, 6, 2)},
        {"Italian full", p + "settembre 30 2020 a", "a", false, 10, At(2020, 9, 30)},
        {"Dutch mrt", p + "mrt 4 2020 a", "a", false, 10, At(2020, 3, 4)},
        {"Dutch mei", p + "mei 4 2020 a", "a", false, 10, At(2020, 5, 4)},
        {"Swedish maj", p + "maj 4 2020 a", "a", false, 10, At(2020, 5, 4)},
        {"Norwegian des", p + "des 4 2020 a", "a", false, 10, At(2020, 12, 4)},
        {"Danish marts", p + "marts 4 2020 a", "a", false, 10, At(2020, 3, 4)},
        {"Polish pa\xC5\xBA", p + "pa\xC5\xBA 4 2020 a", "a", false, 10, At(2020, 10, 4)},
        {"Russian", p + "\xD0\xBC\xD0\xB0\xD1\x8F 4 2020 a", "a", false, 10, At(2020, 5, 4)},
        {"comma after the day", p + "Jan 5, 2020 a", "a", false, 10, At(2020, 1, 5)},
        {"leap day", p + "Feb 29 2020 leap", "leap", false, 10, At(2020, 2, 29)},
    });
}

TEST(FtpListFormatsTest, UnixCjkAndKoreanDates)
{
    const std::string p = "-rw-r--r-- 1 u g 10 ";
    const std::string month = "\xE6\x9C\x88", day = "\xE6\x97\xA5", year = "\xE5\xB9\xB4";
    const std::string kMonth = "\xEC\x9B\x94", kDay = "\xEC\x9D\xBC", kYear = "\xEB\x85\x84";
    ExpectCases({
        {"month marker, time", p + "1" + month + "  5 12:34 a", "a", false, 10, At(2024, 1, 5, 12, 34)},
        {"month and day markers, year", p + "11" + month + " 5" + day + "  2020 a", "a", false, 10,
         At(2020, 11, 5)},
        {"glued year-month-day", p + "2020" + year + "1" + month + "5" + day + " 12:34 a", "a", false, 10,
         At(2020, 1, 5, 12, 34)},
        {"year first, separate", p + "2020" + year + " 1" + month + " 5" + day + " a", "a", false, 10,
         At(2020, 1, 5)},
        {"Korean, time", p + "3" + kMonth + " 7" + kDay + " 09:15 a", "a", false, 10, At(2024, 3, 7, 9, 15)},
        {"Korean, year first", p + "2019" + kYear + " 12" + kMonth + " 31" + kDay + " 23:59 a", "a", false,
         10, At(2019, 12, 31, 23, 59)},
    });
}

TEST(FtpListFormatsTest, UnixNumericDatesMidnightAndShortYears)
{
    const std::string p = "-rw-r--r-- 1 u g 10 ";
    ExpectCases({
        {"dots, day first", p + "05.01.2020 12:34 a", "a", false, 10, At(2020, 1, 5, 12, 34)},
        {"dashes, month first", p + "01-05-2020 12:34 a", "a", false, 10, At(2020, 1, 5, 12, 34)},
        {"dashes, values say day first", p + "25-12-2020 12:34 a", "a", false, 10, At(2020, 12, 25, 12, 34)},
        {"dots, values say month first", p + "12.25.2020 12:34 a", "a", false, 10, At(2020, 12, 25, 12, 34)},
        {"slashes, year first", p + "2020/01/05 12:34 a", "a", false, 10, At(2020, 1, 5, 12, 34)},
        {"blanks, year first", p + "2020 01 05 12:34 a", "a", false, 10, At(2020, 1, 5, 12, 34)},
        {"blanks, day first", p + "25 12 2020 12:34 a", "a", false, 10, At(2020, 12, 25, 12, 34)},
        {"24:00 is the next midnight", p + "Dec 31 24:00 a", "a", false, 10, At(2024, 1, 1)},
        {"24:00 with a time column", p + "31.12.2020 24:00 a", "a", false, 10, At(2021, 1, 1)},
        {"two-digit year", p + "31.12.99 23:00 a", "a", false, 10, At(1999, 12, 31, 23, 0)},
        {"three-digit year from 1900", p + "31.12.120 23:00 a", "a", false, 10, At(2020, 12, 31, 23, 0)},
    });
}

TEST(FtpListFormatsTest, UnixFieldsOutOfTheOrdinary)
{
    ExpectCases({
        {"size in k", "-rw-r--r-- 1 u g 1.5k Jan 5 2020 a", "a", false, 1536, At(2020, 1, 5)},
        {"size in KB", "-rw-r--r-- 1 u g 12KB Jan 5 2020 a", "a", false, 12 * 1024, At(2020, 1, 5)},
        {"size in M", "-rw-r--r-- 1 u g 3M Jan 5 2020 a", "a", false, 3 * 1024 * 1024, At(2020, 1, 5)},
        {"group runs into size", "-rw-r--r-- 1 someone staff1234567 Jan 5 2020 a", "a", false, 1234567,
         At(2020, 1, 5)},
        {"ACL mark glued to links", "drwxr-xr-x+12 u g 4096 Jan 5 2020 d", "d", true, 4096, At(2020, 1, 5)},
        {"door type letter", "Drw-r--r-- 1 u g 0 Jan 5 2020 door", "door", false, 0, At(2020, 1, 5)},
        {"migrated file letter", "mrw-r--r-- 1 u g 77 Jan 5 2020 m", "m", false, 77, At(2020, 1, 5)},
        {"pipe", "prw-r--r-- 1 u g 0 Jan 5 2020 fifo", "fifo", false, 0, At(2020, 1, 5)},
        {"device with size", "crw-rw-rw- 1 root root 0 Jan 5 2020 tty", "tty", false, 0, At(2020, 1, 5)},
        {"device major,minor glued", "brw-rw---- 1 root disk 8,0 Jan 5 2020 sda", "sda", false, 0,
         At(2020, 1, 5)},
        {"device major, minor", "crw-rw-rw- 1 root root 1,   3 Jan 5 2020 null", "null", false, 0,
         At(2020, 1, 5)},
        {"permissions one short", "-rw-r--r- 1 u g 5 Jan 5 2020 short", "short", false, 5, At(2020, 1, 5)},
        {"size 2^64-1", "-rw-r--r-- 1 u g 18446744073709551615 Jan 5 2020 max", "max", false, UINT64_MAX,
         At(2020, 1, 5)},
        {"octal mode, epoch time", "100644 1 1000 1000 1234 1577836800 epoch file", "epoch file", false, 1234,
         LocalDateTimeFromUnixTime(1577836800)},
        {"octal folder mode", "40755 2 0 0 4096 1577836800 sub", "sub", true, 4096,
         LocalDateTimeFromUnixTime(1577836800)},
        {"no date at all", "-rw-r--r-- 1 u g 1234 undated.txt", "undated.txt", false, 1234, 0.0},
        {"enterprise Unix", "-C--E-----FTP B QUA1I1      18128       41 Aug 12 13:56 QUA1I1.DAT",
         "QUA1I1.DAT", false, 41, At(2023, 8, 12, 13, 56)},
        {"VShell old (full BSD time)", "-rwxr-xr-x 1 user group 1234 Jan 05 12:34:56 2020 vshell old.txt",
         "vshell old.txt", false, 1234, At(2020, 1, 5, 12, 34, 56)},
        {"VShell new (ISO with seconds)", "drwxr-xr-x 1 user group 0 2020-01-05 12:34:56 vshell new",
         "vshell new", true, 0, At(2020, 1, 5, 12, 34, 56)},
    });
}

TEST(FtpListFormatsTest, WindowsAndOs2Lines)
{
    ExpectCases({
        {"dos, dotted day first", "05.01.2020  14:34       1234 a.txt", "a.txt", false, 1234,
         At(2020, 1, 5, 14, 34)},
        {"dos, values say day first", "25-12-20  02:00PM  <DIR>  xmas", "xmas", true, 0,
         At(2020, 12, 25, 14, 0)},
        {"dos, size with unit", "01-05-20  12:34PM  12k k.bin", "k.bin", false, 12 * 1024,
         At(2020, 1, 5, 12, 34)},
        {"os/2 odd spacing", "  0    DIR    1-5-20   9:05    OS2 DIR", "OS2 DIR", true, 0,
         At(2020, 1, 5, 9, 5)},
        {"os/2 tight spacing", "345 A 12/31/99 23:59 tight", "tight", false, 345, At(1999, 12, 31, 23, 59)},
    });
}

TEST(FtpListFormatsTest, VmsVariants)
{
    ExpectCases({
        {"no time", "NOTIME.TXT;1  4/6  5-JAN-2020 [SYSTEM] (RWED,RWED,RE,)", "NOTIME.TXT", false, 4 * 512,
         At(2020, 1, 5)},
        {"date before size", "ORDER.TXT;2  5-JAN-2020 10:11:12  7/9 [SYSTEM] (RWED,RWED,RE,)", "ORDER.TXT",
         false, 7 * 512, At(2020, 1, 5, 10, 11, 12)},
        {"size in units", "UNITS.DAT;1  12KB  5-JAN-2020 10:11 [G,O] (RWED,,,)", "UNITS.DAT", false,
         12 * 1024, At(2020, 1, 5, 10, 11)},
        {"protection with blanks", "SPACED.DIR;1  1  5-JAN-2020 10:11 [G, O] (RWE, RWE, RE, RE)", "SPACED",
         true, 512, At(2020, 1, 5, 10, 11)},
    });
    const FtpListing wrapped = ParseFtpListing("A_LONG_NAME_THAT_WRAPS.TXT;3\r\n"
                                               "            12/14  5-JAN-2020 [SYSTEM] (RWED,RWED,RE,)\r\n",
                                               kNow);
    ASSERT_EQ(wrapped.entries.size(), 1u);
    EXPECT_EQ(wrapped.entries[0].name, "A_LONG_NAME_THAT_WRAPS.TXT");
    EXPECT_EQ(wrapped.entries[0].size, 12u * 512);
    EXPECT_EQ(wrapped.unreadableLines, 0);
}

TEST(FtpListFormatsTest, MvsMembersAndLoadModules)
{
    const FtpListing members =
        ParseFtpListing(" Name     VV.MM   Created       Changed      Size  Init   Mod   Id\r\n"
                        "MEMBER1   01.01 2020/01/05 2020/02/06 12:34   250    10     0 USER\r\n",
                        kNow);
    ASSERT_EQ(members.entries.size(), 1u);
    EXPECT_EQ(members.entries[0].size, 250u); // the current record count
    EXPECT_DOUBLE_EQ(members.entries[0].dateTime, At(2020, 2, 6, 12, 34));
    const FtpListing modules =
        ParseFtpListing(" Name      Size     TTR   Alias-of AC--------- Attributes--------- Amode Rmode\r\n"
                        "IEFBR14   0000F0   00000B           00 FO             RN RU      31    ANY\r\n",
                        kNow);
    ASSERT_EQ(modules.entries.size(), 1u);
    EXPECT_EQ(modules.entries[0].name, "IEFBR14");
    EXPECT_EQ(modules.entries[0].size, 0xF0u);
}

TEST(FtpListFormatsTest, As400DateOrderIsDecidedForTheWholeListing)
{
    // "05/01/20" alone reads month first; "25/01/20" in the same listing shows
    // the job prints day first.
    const FtpListing dayFirst = ParseFtpListing("QSYS  100 05/01/20 10:00:00 *STMF  a\r\n"
                                                "QSYS  200 25/01/20 10:00:00 *STMF  b\r\n",
                                                kNow);
    ASSERT_EQ(dayFirst.entries.size(), 2u);
    EXPECT_DOUBLE_EQ(dayFirst.entries[0].dateTime, At(2020, 1, 5, 10, 0));
    EXPECT_DOUBLE_EQ(dayFirst.entries[1].dateTime, At(2020, 1, 25, 10, 0));
    const FtpListing monthFirst = ParseFtpListing("QSYS  100 05/01/20 10:00:00 *STMF  a\r\n", kNow);
    ASSERT_EQ(monthFirst.entries.size(), 1u);
    EXPECT_DOUBLE_EQ(monthFirst.entries[0].dateTime, At(2020, 5, 1, 10, 0));
    ExpectCases(
        {
            {"year first with dashes", "QSYS  100 20-01-05 10.00.00 *STMF  c", "c", false, 100,
             At(2020, 1, 5, 10, 0)},
            {"dots, day first", "QSYS  100 05.01.20 10:00:00 *STMF  d", "d", false, 100,
             At(2020, 1, 5, 10, 0)},
            {"julian", "QSYS  100 20/032 10:00:00 *STMF  e", "e", false, 100, At(2020, 2, 1, 10, 0)},
            {"*FILE is a file", "BAILEYSE  5263360 06/11/97 12:27:39 *FILE  BPTFSAVF", "BPTFSAVF", false,
             5263360, At(1997, 6, 11, 12, 27, 39)},
            {"*LIB is a folder", "QSYS  8192 06/11/97 12:27:39 *LIB  MYLIB", "MYLIB", true, 8192,
             At(1997, 6, 11, 12, 27, 39)},
        },
        FtpSystem::Os400);
}

TEST(FtpListFormatsTest, OtherSystems)
{
    ExpectCases({
        {"z/VM CMS file",
         "PROFILE  EXEC     A1 V         67         15          1 2020-01-05 12:34:56 DISK191",
         "PROFILE.EXEC", false, 67 * 15, At(2020, 1, 5, 12, 34, 56)},
        {"z/VM CMS folder", "PROJECTS -        -  DIR         -          -          - 2020-01-05 12:34:56 -",
         "PROJECTS", true, 0, At(2020, 1, 5, 12, 34, 56)},
        {"HP NonStop", "ALTERNA      1000            1910 01-Oct-99 11:49:06 255,255 \"nunu\"", "ALTERNA",
         false, 1910, At(1999, 10, 1, 11, 49, 6)},
        {"HP NonStop audited code", "LOGFILE      101A             42 05-Jan-2020 08:00:00 -1 \"****\"",
         "LOGFILE", false, 42, At(2020, 1, 5, 8, 0)},
        {"VxWorks file", "     10240    JAN-05-2020  12:34:56   vxWorks.st", "vxWorks.st", false, 10240,
         At(2020, 1, 5, 12, 34, 56)},
        {"VxWorks folder", "       512    FEB-29-2020  01:02:03   config        <DIR>", "config", true, 0,
         At(2020, 2, 29, 1, 2, 3)},
        {"OS-9 folder", "  0.0     20/01/05 1609  d-ewrewr      a00       220 CMDS", "CMDS", true, 0,
         At(2020, 1, 5, 16, 9)},
        {"OS-9 file", "  1.5     99/12/31 2359  ----r-wr      b10      1a2b startup", "startup", false,
         0x1a2b, At(1999, 12, 31, 23, 59)},
        {"Nortel file", "switch.cfg         4096  01/05/2020  12:34:56", "switch.cfg", false, 4096,
         At(2020, 1, 5, 12, 34, 56)},
        {"Nortel folder", "logs                  0  01/05/2020  12:34:56  <DIR>", "logs", true, 0,
         At(2020, 1, 5, 12, 34, 56)},
    });
}

TEST(FtpListFormatsTest, MlsdLinesAreReadStrictly)
{
    ExpectUnreadable({
        "type=file;size=5 lost semicolon.txt",
        "type=file;modify=2020; partial time",
        "type=file;modify=20201301000000; no such month",
        "type=file;size=five; wordy",
    });
    ExpectCases({{"complete", "type=file;size=5;modify=20200105000000; ok", "ok", false, 5,
                  LocalDateTimeFromUnixTime(1578182400)}});
}

TEST(FtpListFormatsTest, UnreadableLinesAreCountedAndHeadersAreNot)
{
    const FtpListing listing = ParseFtpListing("total 12\n"
                                               "Directory DISK$PUB:[ANON]\n"
                                               "Owner    Last modified  Attributes Sector Bytecount Name\n"
                                               "-------  -------------  ---------- ------ --------- ----\n"
                                               " Volume in drive C has no label.\n"
                                               "               1 File(s)      1,024 bytes\n"
                                               "-rw-r--r-- 1 u g 1 Jan  5  2020 good\n"
                                               "?? 12 something odd\n"
                                               "-rw-r--r-- 1 u g 12 Foo  5  2020 x\n",
                                               kNow);
    ASSERT_EQ(listing.entries.size(), 1u);
    EXPECT_EQ(listing.unreadableLines, 2);
    EXPECT_EQ(listing.firstUnreadableLine, "?? 12 something odd");
}

TEST(FtpListFormatsTest, HostileInputNeverCrashesAndIsReported)
{
    EXPECT_TRUE(ParseFtpListing(QByteArray(), kNow).entries.empty());
    EXPECT_EQ(ParseFtpListing("\n\r\n\n", kNow).unreadableLines, 0);

    QByteArray binary;
    for (int i = 0; i < 4096; ++i)
        binary += static_cast<char>((i * 7919) & 0xFF);
    const FtpListing noise = ParseFtpListing(binary, kNow);
    EXPECT_GT(noise.unreadableLines, 0);
    EXPECT_LE(noise.firstUnreadableLine.size(), kFtpUnreadableLineBytes);

    // A line far past any real entry is one unreadable line, cut for the log.
    const QByteArray longLine = "-rw-r--r-- 1 u g 1 Jan  5  2020 " + QByteArray(1 << 20, 'a') + "\nplain\n";
    const FtpListing huge = ParseFtpListing(longLine, kNow);
    EXPECT_TRUE(huge.entries.empty());
    EXPECT_EQ(huge.unreadableLines, 2);
    EXPECT_EQ(huge.firstUnreadableLine.size(), kFtpUnreadableLineBytes);

    // Many short fields on one line: parsing stays linear enough to finish.
    QByteArray fields = "-rw-r--r-- 1 ";
    for (int i = 0; i < 2000; ++i)
        fields += "Jan 5 ";
    ASSERT_LT(fields.size(), kFtpMaxLineBytes);
    const FtpListing many = ParseFtpListing(fields, kNow);
    EXPECT_EQ(many.unreadableLines + static_cast<int>(many.entries.size()), 1);
}

TEST(FtpListFormatsTest, UnreadableLineLogTextIsPrintableAndShort)
{
    EXPECT_EQ(FtpLineLogText("a\tb\x01"
                             "c\x7f"),
              QStringLiteral("a?b?c?"));
    EXPECT_EQ(FtpLineLogText(QByteArray(500, 'x')).size(), 200);
    EXPECT_EQ(FtpLineLogText("caf\xe9"), QString::fromUtf8("café"));
    // A character outside the BMP is not cut in half.
    const QByteArray emoji = QByteArray(199, 'x') + "\xF0\x9F\x98\x80";
    EXPECT_EQ(FtpLineLogText(emoji).size(), 199);
}

TEST(FtpListFormatsTest, SystReplies)
{
    EXPECT_EQ(FtpSystemFromSystReply("215 UNIX Type: L8"), FtpSystem::Unix);
    EXPECT_EQ(FtpSystemFromSystReply(
                  "215 OS/400 is the remote operating system. The TCP/IP version is \"V7R1M0\"."),
              FtpSystem::Os400);
    EXPECT_EQ(FtpSystemFromSystReply(
                  "215 MVS is the operating system of this server. FTP Server is running on z/OS."),
              FtpSystem::Mvs);
    EXPECT_EQ(FtpSystemFromSystReply("215 z/VM Version 7 Release 2.0"), FtpSystem::Vm);
    EXPECT_EQ(FtpSystemFromSystReply("215 VMS system type."), FtpSystem::Vms);
    EXPECT_EQ(FtpSystemFromSystReply("215 Windows_NT"), FtpSystem::Windows);
    EXPECT_EQ(FtpSystemFromSystReply(""), FtpSystem::Unknown);
}

TEST(FtpListFormatsTest, SearchSizesSaturateOnlyPastInt64)
{
    FtpRawEntry raw;
    raw.name = "big";
    raw.size = UINT64_MAX;
    EXPECT_EQ(ToFtpListEntry(raw).size, INT64_MAX);
    raw.size = static_cast<uint64_t>(INT64_MAX);
    EXPECT_EQ(ToFtpListEntry(raw).size, INT64_MAX);
    raw.size = static_cast<uint64_t>(INT64_MAX) - 1;
    EXPECT_EQ(ToFtpListEntry(raw).size, INT64_MAX - 1);
}

TEST(FtpListFormatsTest, FieldHelpers)
{
    EXPECT_EQ(MonthFromName("mar"), 3);
    EXPECT_EQ(MonthFromName("MARR"), 11); // Finnish marraskuu
    EXPECT_EQ(MonthFromName("juil."), 7);
    EXPECT_EQ(MonthFromName("M\xC3\x84RZ"), 3);
    EXPECT_EQ(MonthFromName("\xC4"
                            "ug"),
              0);
    EXPECT_EQ(MonthFromName("ma"), 0);
    EXPECT_EQ(MonthFromName("owner"), 0);
    EXPECT_EQ(MonthFromName("13\xE6\x9C\x88"), 0);
    uint64_t size = 0;
    EXPECT_TRUE(ParseSizeWithUnit("2.25M", size));
    EXPECT_EQ(size, 2359296u);
    EXPECT_TRUE(ParseSizeWithUnit("99999999999T", size));
    EXPECT_EQ(size, UINT64_MAX);
    EXPECT_FALSE(ParseSizeWithUnit("12Q", size));
    EXPECT_FALSE(ParseSizeWithUnit("K", size));
    DateTimeParts parts;
    EXPECT_FALSE(ParseClockTime("24:01", parts));
    EXPECT_TRUE(ParseClockTime("24:00", parts));
    EXPECT_DOUBLE_EQ(DateTimeOrZero({2020, 2, 28, 24, 0, 0, 0}), At(2020, 2, 29));
}

} // namespace
