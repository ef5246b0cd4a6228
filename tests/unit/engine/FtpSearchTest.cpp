#include "engine/FtpSearch.h"

#include "engine/PatternScan.h"
#include "engine/SearchLog.h"
#include "model/DateTime.h"
#include "support/FakeFtpClient.h"
#include "support/FakeHostSearchContext.h"

#include <gtest/gtest.h>

namespace {

double At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
    return EncodeDateTime({year, month, day, hour, minute, second, 0});
}

bool EndsWithTxt(const QString& name)
{
    return name.endsWith(QStringLiteral(".txt"), Qt::CaseInsensitive);
}

class FtpSearchTest : public ::testing::Test {
protected:
    FtpSearchTest() { server.acceptedServer = QStringLiteral("HOST"); }

    void search(const QString& host = QStringLiteral("\\\\HOST")) { FtpSearchHost(host, factory, context); }

    FakeFtpServer server;
    FakeFtpClientFactory factory{server};
    FakeHostSearchContext context;
};

TEST_F(FtpSearchTest, TheClientChecksCertificatesAsTheSearchsSettingSays)
{
    server.add("", "a.txt");
    search();
    context.config.FtpVerifyCertificates = true;
    search();
    EXPECT_EQ(factory.verifyCertificatesAsked, std::vector<bool>({false, true}));
    EXPECT_EQ(context.hits.size(), 2u);
}

TEST_F(FtpSearchTest, TestsAFoldersEntriesBeforeWalkingItsSubfoldersDepthFirst)
{
    server.add("", "pub", true);
    server.add("", "top.txt");
    server.add("/pub", "a.txt");
    server.add("/pub", "sub", true);
    server.add("/pub", "z.txt");
    server.add("/pub/sub", "b.txt");
    server.add("/pub/sub", "deeper", true);
    server.add("/pub/sub/deeper", "c.txt");
    server.add("/pub", "next", true);
    server.add("/pub/next", "d.txt");
    context.nameMatches = EndsWithTxt;

    search();

    EXPECT_EQ(context.hitNames(),
              QStringList({"ftp://HOST/top.txt", "ftp://HOST/pub/a.txt", "ftp://HOST/pub/z.txt",
                           "ftp://HOST/pub/sub/b.txt", "ftp://HOST/pub/sub/deeper/c.txt",
                           "ftp://HOST/pub/next/d.txt"}));
    EXPECT_EQ(server.calls, QStringList({"login HOST", "list ", "list /pub", "list /pub/sub",
                                         "list /pub/sub/deeper", "list /pub/next", "logout"}));
    EXPECT_EQ(context.activityTexts(), QStringList({"ftp://HOST", "ftp://HOST/pub", "ftp://HOST/pub/sub",
                                                    "ftp://HOST/pub/sub/deeper", "ftp://HOST/pub/next"}));
    for (const auto& activity : context.activities)
        EXPECT_EQ(activity.first, waSearching);
}

TEST_F(FtpSearchTest, HitsCarryTheListedValuesAndFoldersTheDirectoryBit)
{
    server.add("", "pub", true, 4096, At(2021, 3, 4, 5, 6, 7));
    server.add("", "public.iso", false, 6000000000LL, At(2022, 1, 2, 3, 4, 5)); // odd second kept
    server.add("", "other.bin", false, 1);
    context.nameMatches = [](const QString& name) { return name.contains(QStringLiteral("pub")); };

    search();

    ASSERT_EQ(context.hits.size(), 2u);
    const TItemRecord& folder = context.hits[0];
    EXPECT_EQ(folder.FileName, "ftp://HOST/pub");
    EXPECT_EQ(folder.Attrs, kAttrDirectory);
    EXPECT_EQ(folder.Size, 4096);
    EXPECT_DOUBLE_EQ(folder.DateTime, At(2021, 3, 4, 5, 6, 7));
    EXPECT_EQ(folder.ImageIndex, -1);
    EXPECT_TRUE(IsFolderItem(folder));
    EXPECT_TRUE(IsFtpItem(folder));
    const TItemRecord& file = context.hits[1];
    EXPECT_EQ(file.FileName, "ftp://HOST/public.iso");
    EXPECT_EQ(file.Attrs, 0);
    EXPECT_EQ(file.Size, 6000000000LL);
    EXPECT_DOUBLE_EQ(file.DateTime, At(2022, 1, 2, 3, 4, 5));
}

TEST_F(FtpSearchTest, SizeFilterIsInclusiveAndSixtyFourBit)
{
    server.add("", "below", false, 99);
    server.add("", "from", false, 100);
    server.add("", "to", false, 5000000000LL);
    server.add("", "above", false, 5000000001LL);
    context.config.FilterBySize = true;
    context.config.SizeFrom = 100;
    context.config.SizeTo = 5000000000LL;

    search();

    EXPECT_EQ(context.hitNames(), QStringList({"ftp://HOST/from", "ftp://HOST/to"}));
}

TEST_F(FtpSearchTest, DateFilterIsInclusiveAndChronologicalThroughAllPackableYears)
{
    server.add("", "before", false, 0, At(2020, 1, 1, 9, 59, 58));
    server.add("", "from", false, 0, At(2020, 1, 1, 10, 0, 0));
    server.add("", "late", false, 0, At(2050, 6, 1, 12, 0, 0));
    server.add("", "to", false, 0, At(2060, 1, 1, 0, 0, 0));
    server.add("", "after", false, 0, At(2060, 1, 1, 0, 0, 2));
    server.add("", "undated", false, 0, 0.0); // 1899: packs to 0
    context.config.FilterByDate = true;
    context.config.DateFrom = DateTimeToFileDate(At(2020, 1, 1, 10, 0, 0));
    context.config.DateTo = DateTimeToFileDate(At(2060, 1, 1, 0, 0, 0));

    search();

    EXPECT_EQ(context.hitNames(), QStringList({"ftp://HOST/from", "ftp://HOST/late", "ftp://HOST/to"}));
}

// Adds a file with its content to the fake server, listed with the content's size.
void AddFile(FakeFtpServer& server, const QString& folder, const QString& name, const QByteArray& content)
{
    server.add(folder, name, false, content.size());
    server.files.insert(folder + u'/' + name, content);
}

class FtpContentSearchTest : public FtpSearchTest {
protected:
    FtpContentSearchTest()
    {
        context.config.EnableTextSearch = true;
        context.config.SearchText = QStringLiteral("needle");
    }
};

TEST_F(FtpContentSearchTest, ListsOnlyFilesThatHoldTheTextWithWhereItIs)
{
    server.add("", "pub", true);
    AddFile(server, "", "notes.txt", "nothing to see");
    AddFile(server, "/pub", "hay.txt", "hay hay needle hay");
    AddFile(server, "/pub", "more.txt", "no match here either");

    search();

    EXPECT_EQ(context.hitNames(), QStringList({"ftp://HOST/pub/hay.txt"}));
    ASSERT_EQ(context.hits.size(), 1u);
    ASSERT_TRUE(context.hits[0].Match);
    EXPECT_EQ(context.hits[0].Match->Term, QStringLiteral("needle"));
    EXPECT_EQ(context.hits[0].Match->Excerpt, QStringLiteral("hay hay needle hay"));
    EXPECT_EQ(server.retrievedPaths(), QStringList({"/notes.txt", "/pub/hay.txt", "/pub/more.txt"}));
    // The listing of /pub came after the download of /notes.txt had ended.
    EXPECT_EQ(server.listedPaths(), QStringList({"", "/pub"}));
}

TEST_F(FtpContentSearchTest, FilesThatCannotBeReadAreNoHits)
{
    AddFile(server, "", "broken.txt", "needle, but the download fails" + QByteArray(100, '.'));
    server.failAfter.insert("/broken.txt", 10);
    server.add("", "gone.txt", false, 50); // listed, but RETR fails
    AddFile(server, "", "good.txt", "a needle");

    search();

    EXPECT_EQ(context.hitNames(), QStringList({"ftp://HOST/good.txt"}));
}

TEST_F(FtpContentSearchTest, FoldersAndEmptyFilesAreNoHitsAndCostNoDownload)
{
    server.add("", "needle", true);
    AddFile(server, "", "needle.txt", "");

    search();

    EXPECT_TRUE(context.hits.empty());
    EXPECT_TRUE(server.retrievedPaths().isEmpty());
}

TEST_F(FtpContentSearchTest, DownloadEndsOnceTheAnswerIsKnown)
{
    const QByteArray big = "needle" + QByteArray(8 << 20, 'x');
    AddFile(server, "", "big.bin", big);
    AddFile(server, "", "after.txt", "needle");

    search();

    EXPECT_EQ(context.hitNames(), QStringList({"ftp://HOST/big.bin", "ftp://HOST/after.txt"}));
    // One chunk of the scanner, not the whole file.
    EXPECT_LE(server.bytesSent.value("/big.bin"), int64_t(kScanChunkSize));
}

TEST_F(FtpContentSearchTest, NoneLogicListsFilesWithoutTheTermAndReadsThemWhole)
{
    context.config.Logic = TTextLogic::None;
    AddFile(server, "", "with.txt", "a needle");
    AddFile(server, "", "without.txt", "only hay");

    search();

    EXPECT_EQ(context.hitNames(), QStringList({"ftp://HOST/without.txt"}));
    ASSERT_TRUE(context.hits[0].Match);
    EXPECT_TRUE(context.hits[0].Match->Term.isEmpty());
    EXPECT_EQ(server.bytesSent.value("/without.txt"), 8);
}

TEST_F(FtpContentSearchTest, StopDuringADownloadEndsTheSearchWithoutAHit)
{
    AddFile(server, "", "big.bin", QByteArray(4 << 20, 'x') + "needle");
    AddFile(server, "", "later.txt", "needle");
    server.beforeRead = [this](const QString&, int64_t offset) {
        if (offset > 0)
            context.stop.request_stop();
    };

    search();

    EXPECT_TRUE(context.hits.empty());
    EXPECT_LT(server.bytesSent.value("/big.bin"), 4 << 20);
    EXPECT_FALSE(server.retrievedPaths().contains("/later.txt"));
}

TEST_F(FtpContentSearchTest, ShowsTheFileBeingReadThenTheFolderAgain)
{
    AddFile(server, "", "a.txt", "needle");

    search();

    EXPECT_EQ(context.activityTexts(), QStringList({"ftp://HOST", "ftp://HOST/a.txt", "ftp://HOST"}));
    ASSERT_EQ(context.activities.size(), 3u);
    EXPECT_EQ(context.activities[1].first, waScanning);
}

TEST_F(FtpSearchTest, RefusedLoginIsSilent)
{
    server.acceptedServer = QStringLiteral("ELSEWHERE");
    server.add("", "a.txt");

    search();

    EXPECT_TRUE(context.hits.empty());
    EXPECT_TRUE(context.activities.empty());
    EXPECT_EQ(server.calls, QStringList({"login HOST"}));
}

TEST_F(FtpSearchTest, UnreadableListingLinesAreLoggedOncePerFolder)
{
    server.add("", "pub", true);
    server.add("/pub", "a.txt");
    server.add("/pub", "clean", true);
    server.unreadable.insert("/pub", {3, QStringLiteral("?? odd line")});
    context.nameMatches = EndsWithTxt;

    search();

    std::vector<QString> texts;
    for (const TSearchLogEntry& entry : context.log.Snapshot()) {
        if (entry.Text.startsWith(QStringLiteral("Cannot read"))) {
            texts.push_back(entry.Text);
            EXPECT_EQ(entry.Kind, TSearchLogKind::Computer);
        }
    }
    ASSERT_EQ(texts.size(), 1u); // neither the login directory nor /pub/clean
    EXPECT_EQ(texts[0],
              QStringLiteral("Cannot read 3 line(s) of the listing of ftp://HOST/pub: ?? odd line"));
    // The readable entries of that folder are still searched.
    EXPECT_EQ(context.hitNames(), QStringList({"ftp://HOST/pub/a.txt"}));
}

TEST_F(FtpSearchTest, HostsOfTwoCharactersOrFewerAreNotContacted)
{
    search(QStringLiteral("\\\\"));
    search(QStringLiteral("ab"));
    EXPECT_TRUE(server.calls.isEmpty());
}

TEST_F(FtpSearchTest, AFolderThatCannotBeListedIsSkippedWithItsSubtree)
{
    server.add("", "locked", true);
    server.add("/locked", "hidden.txt");
    server.add("", "open", true);
    server.add("/open", "seen.txt");
    server.unlistable.insert("/locked");

    search();

    EXPECT_EQ(context.hitNames(),
              QStringList({"ftp://HOST/locked", "ftp://HOST/open", "ftp://HOST/open/seen.txt"}));
    EXPECT_EQ(server.listedPaths(), QStringList({"", "/locked", "/open"}));
}

TEST_F(FtpSearchTest, StopEndsTheWalkWithoutFurtherListings)
{
    server.add("", "one", true);
    server.add("", "first.txt");
    server.add("", "second.txt");
    server.add("", "two", true);
    server.add("/one", "inner.txt");
    context.onHit = [this](const TItemRecord&) { context.stop.request_stop(); };

    search();

    EXPECT_EQ(context.hitNames(), QStringList({"ftp://HOST/one"}));
    EXPECT_EQ(server.listedPaths(), QStringList({""}));
    EXPECT_EQ(server.calls.last(), "logout");
}

TEST_F(FtpSearchTest, SymbolicLinksAreReportedButNotWalked)
{
    FtpListEntry& link = server.add("", "latest", false);
    link.isSymlink = true;
    server.add("", "real", true);
    server.links.insert("/latest", "/real");

    search();

    EXPECT_EQ(context.hitNames(), QStringList({"ftp://HOST/latest", "ftp://HOST/real"}));
    EXPECT_EQ(context.hits[0].Attrs, 0);
    EXPECT_EQ(server.listedPaths(), QStringList({"", "/real"}));
}

TEST_F(FtpSearchTest, LinksListedAsFoldersWithServerIdsAreWalkedOnce)
{
    server.add("", "pub", true).uniqueId = "801U1";
    server.add("/pub", "file.txt");
    server.add("/pub", "again", true).uniqueId = "801U1"; // a link back to /pub
    server.links.insert("/pub/again", "/pub");

    search();

    EXPECT_EQ(server.listedPaths(), QStringList({"", "/pub"}));
    EXPECT_EQ(context.hitNames(),
              QStringList({"ftp://HOST/pub", "ftp://HOST/pub/file.txt", "ftp://HOST/pub/again"}));
}

TEST_F(FtpSearchTest, LinksToAnAncestorListedAsFoldersEndTheWalk)
{
    // Two links back to the login directory would double the work per level.
    server.add("", "docs", true);
    server.add("", "up1", true);
    server.add("", "up2", true);
    server.add("/docs", "b.txt");
    server.add("/docs", "top", true);
    server.links.insert("/up1", "");
    server.links.insert("/up2", "");
    server.links.insert("/docs/top", "");

    search();

    EXPECT_EQ(server.listedPaths(), QStringList({"", "/docs", "/docs/top", "/up1", "/up2"}));
    EXPECT_EQ(context.hitNames(), QStringList({"ftp://HOST/docs", "ftp://HOST/up1", "ftp://HOST/up2",
                                               "ftp://HOST/docs/b.txt", "ftp://HOST/docs/top"}));
}

TEST_F(FtpSearchTest, NestedFoldersWithIdenticalSingleEntryListingsAreWalked)
{
    const double when = At(2020, 5, 5);
    server.add("", "pkg", true, 4096, when);
    server.add("/pkg", "pkg", true, 4096, when);
    server.add("/pkg/pkg", "pkg", true, 4096, when);
    server.add("/pkg/pkg/pkg", "found.txt");
    context.nameMatches = EndsWithTxt;

    search();

    EXPECT_EQ(context.hitNames(), QStringList({"ftp://HOST/pkg/pkg/pkg/found.txt"}));
}

TEST_F(FtpSearchTest, ASelfLinkWithoutIdsEndsAtTheDepthLimit)
{
    server.add("", "self", true);
    server.links.insert("/self", "");

    search();

    EXPECT_EQ(server.listedPaths().size(), FtpWalkGuard::kMaxDepth);
    EXPECT_EQ(server.calls.last(), "logout");
}

} // namespace
