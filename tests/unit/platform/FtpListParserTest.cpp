#include "platform/FtpListParser.h"

#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>
#include <random>

namespace {

const DateTimeParts kNow{2024, 6, 15, 12, 0, 0, 0};

std::vector<FtpRawEntry> Parse(const char* listing, const DateTimeParts& now = kNow)
{
    return ParseFtpListing(QByteArray(listing), now).entries;
}

double At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
    return EncodeDateTime({year, month, day, hour, minute, second, 0});
}

void ExpectEntry(const FtpRawEntry& entry, const char* name, bool directory, uint64_t size, double dateTime)
{
    EXPECT_EQ(entry.name, QByteArray(name));
    EXPECT_EQ(entry.isDirectory, directory) << name;
    EXPECT_EQ(entry.size, size) << name;
    EXPECT_DOUBLE_EQ(entry.dateTime, dateTime) << name;
}

TEST(FtpListParserTest, NamesDecodeAsTheServersEncodingSays)
{
    // Guess: UTF-8 where valid, Windows-1252 (0x80 the euro sign) where not.
    EXPECT_EQ(DecodeFtpName("na\xc3\xafve"), QString::fromUtf8("naïve"));
    EXPECT_EQ(DecodeFtpName("\x80 caf\xe9"), QString::fromUtf8("€ café"));
    // Utf8 (the server said so): no guessing, a stray byte is U+FFFD.
    EXPECT_EQ(DecodeFtpName("na\xc3\xafve", FtpNameEncoding::Utf8), QString::fromUtf8("naïve"));
    EXPECT_EQ(DecodeFtpName("caf\xe9", FtpNameEncoding::Utf8), QStringLiteral("caf\uFFFD"));
    FtpRawEntry raw;
    raw.name = "caf\xe9";
    EXPECT_EQ(ToFtpListEntry(raw).name, QString::fromUtf8("café"));
    EXPECT_EQ(ToFtpListEntry(raw, FtpNameEncoding::Utf8).name, QStringLiteral("caf\uFFFD"));
}

TEST(FtpListParserTest, UnixLinesWithTheirCommonVariants)
{
    const auto entries = Parse("total 24\r\n"
                               "drwxr-xr-x   5 ftp      ftp          4096 Mar  3  2021 pub\r\n"
                               "-rw-r--r--   1 ftp      ftp        123456 Jun 14 09:41 readme.txt\r\n"
                               "-rw-r--r--   1 1000     1000     5368709120 Jan  2  2023 disk image.iso\r\n"
                               "-rw-r--r--   1 owner           42 Feb 10  2020 no group.txt\r\n"
                               "-rw-r--r--+  1 ftp      ftp            7 May  1  2022 acl.txt\r\n"
                               "drwxr-xr-x   2 ftp      ftp          4096 Jun  1 08:00 .\r\n"
                               "drwxr-xr-x   2 ftp      ftp          4096 Jun  1 08:00 ..\r\n");
    ASSERT_EQ(entries.size(), 5u);
    ExpectEntry(entries[0], "pub", true, 4096, At(2021, 3, 3));
    ExpectEntry(entries[1], "readme.txt", false, 123456, At(2024, 6, 14, 9, 41));
    ExpectEntry(entries[2], "disk image.iso", false, 5368709120LL, At(2023, 1, 2));
    ExpectEntry(entries[3], "no group.txt", false, 42, At(2020, 2, 10));
    ExpectEntry(entries[4], "acl.txt", false, 7, At(2022, 5, 1));
}

TEST(FtpListParserTest, UnixLinksDevicesAndAwkwardNames)
{
    const auto entries = Parse("lrwxrwxrwx 1 root root 11 Jan  5  2020 latest -> releases/7.1\n"
                               "lrwxrwxrwx 1 root root 4 Jan  5  2020 up -> ..\n"
                               "crw-rw-rw- 1 root root 1,   3 Jan  5  2020 null\n"
                               "brw-rw---- 1 root disk 8,   0 Jan  5  2020 sda\n"
                               "-rw-r--r-- 1 u g 3 Jan  5  2020   two  inner  blanks \n"
                               "-rw-r--r-- 1 u g 3 Jan  5  2020 Jan  6 12:00 x\n"
                               "drwxr-xr-x 2 u g 4096 Jan  5  2020 a;b#c%d?e\n");
    ASSERT_EQ(entries.size(), 7u);
    EXPECT_EQ(entries[0].name, "latest");
    EXPECT_TRUE(entries[0].isSymlink);
    EXPECT_FALSE(entries[0].isDirectory);
    EXPECT_EQ(entries[1].name, "up"); // a link named like a folder it points to
    ExpectEntry(entries[2], "null", false, 0, At(2020, 1, 5));
    ExpectEntry(entries[3], "sda", false, 0, At(2020, 1, 5));
    // One blank follows the date; every further blank is part of the name.
    EXPECT_EQ(entries[4].name, "  two  inner  blanks ");
    // A name that itself looks like a date is not mistaken for one.
    EXPECT_EQ(entries[5].name, "Jan  6 12:00 x");
    EXPECT_EQ(entries[6].name, "a;b#c%d?e");
    EXPECT_TRUE(entries[6].isDirectory);
}

TEST(FtpListParserTest, UnixIsoTimeStyles)
{
    const auto entries = Parse("-rw-r--r-- 1 u g 10 2021-11-30 23:59 long-iso.txt\n"
                               "-rw-r--r-- 1 u g 11 2021-11-30 23:59:58.123456789 +0100 full iso.txt\n");
    ASSERT_EQ(entries.size(), 2u);
    ExpectEntry(entries[0], "long-iso.txt", false, 10, At(2021, 11, 30, 23, 59));
    ExpectEntry(entries[1], "full iso.txt", false, 11, At(2021, 11, 30, 23, 59, 58));
}

TEST(FtpListParserTest, YearlessUnixDatesTakeTheMostRecentYearNotAfterTomorrow)
{
    const char* line = "-rw-r--r-- 1 u g 1 %s x\n";
    auto yearOf = [&](const char* date, const DateTimeParts& now) {
        const QByteArray listing = QByteArray(line).replace("%s", date);
        const auto entries = ParseFtpListing(listing, now).entries;
        return entries.size() == 1 ? DecodeDateTime(entries[0].dateTime).year : -1;
    };
    EXPECT_EQ(yearOf("Jun 15 11:00", kNow), 2024);
    EXPECT_EQ(yearOf("Jun 16 11:59", kNow), 2024); // less than a day ahead: clock skew
    EXPECT_EQ(yearOf("Jun 16 12:01", kNow), 2023); // more than a day ahead
    EXPECT_EQ(yearOf("Dec 31 23:59", kNow), 2023);
    const DateTimeParts newYearsEve{2024, 12, 31, 23, 30, 0, 0};
    EXPECT_EQ(yearOf("Jan  1 00:10", newYearsEve), 2025);
    EXPECT_EQ(yearOf("Jan  2 00:10", newYearsEve), 2024);
    const DateTimeParts march2023{2023, 3, 1, 10, 0, 0, 0};
    EXPECT_EQ(yearOf("Feb 29 10:00", march2023), 2020); // the last year that had the day
}

TEST(FtpListParserTest, NetWareLines)
{
    const auto entries = Parse("d [RWCEAFMS] Supervisor           512 Jan 05 12:34 SYSTEM\n"
                               "- [R----F--] jsmith             10240 Mar 16  2019 report 2019.doc\n");
    ASSERT_EQ(entries.size(), 2u);
    ExpectEntry(entries[0], "SYSTEM", true, 512, At(2024, 1, 5, 12, 34));
    ExpectEntry(entries[1], "report 2019.doc", false, 10240, At(2019, 3, 16));
}

TEST(FtpListParserTest, WindowsLinesWithBothClocksAndYearWidths)
{
    const auto entries = Parse("01-05-20  12:34PM       <DIR>          Program Files\r\n"
                               "01-05-20  12:05AM                 1024 midnight.txt\r\n"
                               "12-31-1999  11:59PM         4294967296 y2k.bin\r\n"
                               "07-04-2021  14:34        1,234,567 24 hour.log\r\n"
                               "2022-03-01  08:15 PM   <DIR>  spaced meridiem\r\n"
                               "03-15-98  09:00AM  <JUNCTION>  Docs [C:\\Users\\Docs]\r\n"
                               " Volume in drive C has no label.\r\n"
                               "               1 File(s)      1,024 bytes\r\n");
    ASSERT_EQ(entries.size(), 6u);
    ExpectEntry(entries[0], "Program Files", true, 0, At(2020, 1, 5, 12, 34));
    ExpectEntry(entries[1], "midnight.txt", false, 1024, At(2020, 1, 5, 0, 5));
    ExpectEntry(entries[2], "y2k.bin", false, 4294967296LL, At(1999, 12, 31, 23, 59));
    ExpectEntry(entries[3], "24 hour.log", false, 1234567, At(2021, 7, 4, 14, 34));
    ExpectEntry(entries[4], "spaced meridiem", true, 0, At(2022, 3, 1, 20, 15));
    EXPECT_EQ(entries[5].name, "Docs");
    EXPECT_TRUE(entries[5].isSymlink);
    EXPECT_FALSE(entries[5].isDirectory);
    EXPECT_DOUBLE_EQ(entries[5].dateTime, At(1998, 3, 15, 9, 0));
}

TEST(FtpListParserTest, VmsListingsWithWrappedEntries)
{
    const auto entries =
        Parse("\r\n"
              "Directory DISK$PUB:[ANONYMOUS]\r\n"
              "\r\n"
              "README.TXT;3           2/3        5-JAN-2020 12:34:56 [SYSTEM]  (RWED,RWED,RE,RE)\r\n"
              "SOFTWARE.DIR;1         1/3       17-MAR-1998 08:00    [SYSTEM]  (RWE,RWE,RE,RE)\r\n"
              "A_VERY_LONG_FILE_NAME_THAT_WRAPS.TXT;12\r\n"
              "                      10/12      29-FEB-2000 23:59:59.99 [GROUP,OWNER] (RWED,RWED,,)\r\n"
              "NOSIZE.COM;1  1-APR-2001 10:00 [SYSTEM] (RWED,RWED,RE,)\r\n"
              "\r\n"
              "Total of 4 files, 14/21 blocks.\r\n");
    ASSERT_EQ(entries.size(), 4u);
    ExpectEntry(entries[0], "README.TXT", false, 2 * 512, At(2020, 1, 5, 12, 34, 56));
    ExpectEntry(entries[1], "SOFTWARE", true, 512, At(1998, 3, 17, 8, 0));
    ExpectEntry(entries[2], "A_VERY_LONG_FILE_NAME_THAT_WRAPS.TXT", false, 10 * 512,
                At(2000, 2, 29, 23, 59, 59));
    ExpectEntry(entries[3], "NOSIZE.COM", false, 0, At(2001, 4, 1, 10, 0));
}

TEST(FtpListParserTest, AWrappedVmsNameWithoutItsSecondLineIsNoEntry)
{
    const auto entries = Parse("LONELY.TXT;1\r\nOTHER.TXT;1  1  1-JAN-2020 00:00\r\n");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, "OTHER.TXT");
}

class FtpListParserZoneTest : public ::testing::Test {
protected:
    // Fact times are UTC; EST5 (five hours behind, no summer time) shows the
    // conversion to local time.
    void SetUp() override
    {
        const char* old = std::getenv("TZ");
        m_oldZone = old ? QByteArray(old) : QByteArray();
        m_hadZone = old != nullptr;
        setenv("TZ", "EST5", 1);
        tzset();
    }
    void TearDown() override
    {
        if (m_hadZone)
            setenv("TZ", m_oldZone.constData(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    QByteArray m_oldZone;
    bool m_hadZone = false;
};

TEST_F(FtpListParserZoneTest, MlsdFactLines)
{
    const auto entries =
        Parse("type=cdir;modify=20240101000000;unique=801U1; /pub\r\n"
              "type=pdir;modify=20240101000000; ..\r\n"
              "type=dir;modify=20240102030405;unique=801U2;perm=flcdmpe; sub dir\r\n"
              "type=file;size=6000000000;modify=20240102030405.123;UNIX.mode=0644; a; b.txt\r\n"
              "Type=File;Size=1;Modify=19991231235959; upper.txt\r\n"
              "type=OS.unix=slink:/pub/a b;size=3; link\r\n"
              "size=5; untyped\r\n");
    ASSERT_EQ(entries.size(), 5u);
    ExpectEntry(entries[0], "sub dir", true, 0, At(2024, 1, 1, 22, 4, 5));
    EXPECT_EQ(entries[0].uniqueId, "801U2");
    ExpectEntry(entries[1], "a; b.txt", false, 6000000000LL, At(2024, 1, 1, 22, 4, 5));
    ExpectEntry(entries[2], "upper.txt", false, 1, At(1999, 12, 31, 18, 59, 59));
    EXPECT_EQ(entries[3].name, "link");
    EXPECT_TRUE(entries[3].isSymlink);
    EXPECT_FALSE(entries[3].isDirectory);
    ExpectEntry(entries[4], "untyped", false, 5, 0.0);
}

TEST_F(FtpListParserZoneTest, EplfLines)
{
    const auto entries = Parse("+i8388621.29609,m824255902,/,\t2 dev\r\n"
                               "+i8388621.44468,m839956783,r,s10376,\tRFC EPLF\r\n"
                               "+r,s5,\tbare\r\n"
                               "+m1,/\r\n");
    ASSERT_EQ(entries.size(), 3u);
    // 824255902 is 1996-02-13 23:58:22 UTC.
    ExpectEntry(entries[0], "2 dev", true, 0, At(1996, 2, 13, 18, 58, 22));
    EXPECT_EQ(entries[0].uniqueId, "8388621.29609");
    ExpectEntry(entries[1], "RFC EPLF", false, 10376, At(1996, 8, 13, 12, 19, 43));
    ExpectEntry(entries[2], "bare", false, 5, 0.0);
}

TEST(FtpListParserTest, Os2Lines)
{
    const auto entries = Parse("           0           DIR   01-05-20  12:34  SUB DIR\r\n"
                               "       73098  A          04-06-97  15:21  OS2 HELP.INF\r\n"
                               "        1024             12-31-99  23:59  plain\r\n");
    ASSERT_EQ(entries.size(), 3u);
    ExpectEntry(entries[0], "SUB DIR", true, 0, At(2020, 1, 5, 12, 34));
    ExpectEntry(entries[1], "OS2 HELP.INF", false, 73098, At(1997, 4, 6, 15, 21));
    ExpectEntry(entries[2], "plain", false, 1024, At(1999, 12, 31, 23, 59));
}

TEST(FtpListParserTest, MvsDataSetsAndMembers)
{
    const auto sets = Parse("Volume Unit    Referred Ext Used Recfm Lrecl BlkSz Dsorg Dsname\r\n"
                            "WYNK01 3390   2020/01/05  1   15  FB      80  6160  PO  USER.SOURCE.PDS\r\n"
                            "WYNK02 3390   2019/12/31  1    1  FB      80 27920  PS  USER.DATA\r\n"
                            "Migrated                                              USER.OLD\r\n"
                            "Pseudo Directory                                      USER.TEST\r\n");
    ASSERT_EQ(sets.size(), 4u);
    ExpectEntry(sets[0], "USER.SOURCE.PDS", true, 0, At(2020, 1, 5));
    ExpectEntry(sets[1], "USER.DATA", false, 0, At(2019, 12, 31));
    ExpectEntry(sets[2], "USER.OLD", false, 0, 0.0);
    ExpectEntry(sets[3], "USER.TEST", true, 0, 0.0);

    const auto members = Parse(" Name     VV.MM   Created       Changed      Size  Init   Mod   Id\r\n"
                               "MEMBER1   01.01 2020/01/05 2020/02/06 12:34    10    10     0 USER\r\n"
                               "MEMBER2\r\n");
    ASSERT_EQ(members.size(), 2u);
    ExpectEntry(members[0], "MEMBER1", false, 10, At(2020, 2, 6, 12, 34)); // size: the record count
    ExpectEntry(members[1], "MEMBER2", false, 0, 0.0);
}

TEST(FtpListParserTest, As400Lines)
{
    const auto entries = Parse("QSYS           77824 02/23/00 15:09:55 *DIR       QOpenSys/\r\n"
                               "QDOC           24576 13.05.15 09:44:36 *FLR       QDOC/\r\n"
                               "USER          123456 01/05/20 12:34:56 *STMF      my file.txt\r\n"
                               "QSYS                                   *MEM       MYLIB.FILE/MEMBER.MBR\r\n");
    ASSERT_EQ(entries.size(), 4u);
    ExpectEntry(entries[0], "QOpenSys", true, 77824, At(2000, 2, 23, 15, 9, 55));
    ExpectEntry(entries[1], "QDOC", true, 24576, At(2015, 5, 13, 9, 44, 36));
    ExpectEntry(entries[2], "my file.txt", false, 123456, At(2020, 1, 5, 12, 34, 56));
    ExpectEntry(entries[3], "MEMBER.MBR", false, 0, 0.0);
}

TEST(FtpListParserTest, LinesNotUnderstoodAreSkipped)
{
    const auto entries = Parse("230-Welcome to the archive\n"
                               "total 12\n"
                               "\n"
                               "ls: cannot open directory .: Permission denied\n"
                               "-rw-r--r-- 1 u g 12 Jan  5  2020\n"        // no name
                               "-rw-r--r-- 1 u g 12 Foo  5  2020 x\n"      // no month
                               "-rwxr-xr-x 1 u g twelve Jan  5  2020 y\n"  // no size
                               "drwxr-xr-x 2 u g 4096 Jan  5  2020 kept\n" // the only entry
                               "13-45-20  12:34PM  <DIR>  bad date\n"
                               "+no tab here\n"
                               "garbage=yes\n");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, "kept");
}

TEST(FtpListParserTest, EntriesThatCannotBePathSegmentsAreDropped)
{
    const QByteArray listing = QByteArray("type=file;size=1; a/b\n"
                                          "type=dir; .\n"
                                          "-rw-r--r-- 1 u g 1 Jan  5  2020 nul") +
                               QByteArray(1, '\0') + "inside\n" + "-rw-r--r-- 1 u g 1 Jan  5  2020 fine";
    const auto entries = ParseFtpListing(listing, kNow).entries;
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, "fine"); // the last line needs no line end
}

TEST(FtpListParserTest, MixedFormatsInOneReplyKeepListingOrder)
{
    const auto entries = Parse("-rw-r--r-- 1 u g 1 Jan  5  2020 unix\n"
                               "01-05-20  12:34PM  2  dos\n"
                               "type=file;size=3; facts\n"
                               "+s4,r,\teplf\n");
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].name, "unix");
    EXPECT_EQ(entries[1].name, "dos");
    EXPECT_EQ(entries[2].name, "facts");
    EXPECT_EQ(entries[3].name, "eplf");
    EXPECT_EQ(entries[3].size, 4);
}

TEST(FtpListParserTest, SizesSaturateInsteadOfWrapping)
{
    const auto entries = Parse("-rw-r--r-- 1 u g 99999999999999999999999 Jan  5  2020 huge\n");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].size, UINT64_MAX);
}

TEST(FtpListParserTest, GrouplessLinesWithNumericNamesFindTheRealDate)
{
    // Owner "may", group "20" and size 1234 read like the date "May 20 1234".
    const auto entries = Parse("-rw-r--r-- 1 may 20 1234 Jan  5  2020 real name\n");
    ASSERT_EQ(entries.size(), 1u);
    ExpectEntry(entries[0], "real name", false, 1234, At(2020, 1, 5));
}

// Damaged and hostile replies: whatever the bytes, parsing ends and every entry
// it yields can serve as a path segment.
TEST(FtpListParserTest, MutatedListingsNeverYieldUnusableEntries)
{
    const QByteArray samples[] = {
        "drwxr-xr-x   5 ftp      ftp          4096 Mar  3  2021 pub\r\n",
        "lrwxrwxrwx 1 root root 11 Jan  5 12:00 latest -> releases/7.1\r\n",
        "01-05-20  12:34PM       <DIR>          Program Files\r\n",
        "README.TXT;3           2/3        5-JAN-2020 12:34:56 [SYSTEM]  (RWED,RWED,RE,RE)\r\n",
        "LONG.TXT;12\r\n                      10/12      29-FEB-2000 23:59:59.99 [G,O] (RWED,,,)\r\n",
        "+i8388621.48594,m825718503,r,s280,\tdjb.html\r\n",
        "type=file;size=6000000000;modify=20240102030405.123; a; b.txt\r\n",
        "       73098  A          04-06-97  15:21  OS2 HELP.INF\r\n",
        "QSYS           77824 02/23/00 15:09:55 *DIR       QOpenSys/\r\n",
        "Volume Unit    Referred Ext Used Recfm Lrecl BlkSz Dsorg Dsname\r\nWYNK01 3390 2020/01/05 1 15 FB "
        "80 6160 PO X\r\n",
        "d [RWCEAFMS] Supervisor           512 Jan 05 12:34 SYSTEM\r\n",
    };
    std::mt19937 random(20240615);
    const char alphabet[] = " \t\r\n;=+/-:.,<>[]*0123456789JanDIRdlrwx\xe9\xff";
    size_t parsed = 0;
    for (int round = 0; round < 3000; ++round) {
        QByteArray listing;
        for (int line = 0; line < 4; ++line)
            listing += samples[random() % std::size(samples)];
        const int edits = 1 + static_cast<int>(random() % 6);
        for (int edit = 0; edit < edits && !listing.isEmpty(); ++edit) {
            const qsizetype at = static_cast<qsizetype>(random() % listing.size());
            switch (random() % 3) {
            case 0:
                listing[at] = alphabet[random() % (sizeof alphabet - 1)];
                break;
            case 1:
                listing.remove(at, 1 + static_cast<qsizetype>(random() % 8));
                break;
            default:
                listing.insert(at, alphabet[random() % (sizeof alphabet - 1)]);
                break;
            }
        }
        for (const FtpRawEntry& entry : ParseFtpListing(listing, kNow).entries) {
            ++parsed;
            ASSERT_FALSE(entry.name.isEmpty()) << listing.toStdString();
            ASSERT_FALSE(entry.name.contains('/')) << listing.toStdString();
            ASSERT_TRUE(entry.name != "." && entry.name != "..") << listing.toStdString();
            ASSERT_FALSE(entry.name.contains('\n')) << listing.toStdString();
            ASSERT_FALSE(entry.name.contains('\0')) << listing.toStdString();
        }
    }
    EXPECT_GT(parsed, 3000u); // most mutations leave most lines readable
}

TEST(FtpListParserTest, NamesDecodeAsUtf8ElseWindows1252)
{
    EXPECT_EQ(DecodeFtpName("plain"), QString("plain"));
    EXPECT_EQ(DecodeFtpName("caf\xc3\xa9 \xe2\x82\xac"), QString::fromUtf8("café €"));
    EXPECT_EQ(DecodeFtpName("caf\xe9 \x80"), QString::fromUtf8("café €"));
    // Overlong and surrogate encodings are not UTF-8.
    EXPECT_EQ(DecodeFtpName("\xc0\xaf"), QString::fromUtf8("À¯"));
    EXPECT_EQ(DecodeFtpName("\xed\xa0\x80"), QString::fromUtf8("í\u00a0€"));
    EXPECT_EQ(DecodeFtpName("\xf0\x9f\x98\x80"), QString::fromUtf8("😀"));

    FtpRawEntry raw;
    raw.name = "r\xe9sum\xe9.doc";
    raw.size = 5;
    raw.isDirectory = true;
    raw.uniqueId = "id1";
    const FtpListEntry entry = ToFtpListEntry(raw);
    EXPECT_EQ(entry.name, QString::fromUtf8("résumé.doc"));
    EXPECT_TRUE(entry.isDirectory);
    EXPECT_EQ(entry.size, 5);
    EXPECT_EQ(entry.uniqueId, "id1");
}

} // namespace
