#include "model/DateTime.h"
#include "support/QStringPrinter.h"
#include "support/SmbFixture.h"
#include "support/engine/LiveSearch.h"

#include <QHash>
#include <gtest/gtest.h>

// Searches of single Samba test hosts by the engine's own worker, SMB agents and
// headless driver: what reaches the result list (names, attributes, sizes, times),
// which shares are searched, and the folder, size and date filters.
namespace {

using SmbFixture::hostUnc;

// Last-write times the fixture gives two files of host 2 (share public, folder dated).
constexpr int64_t kOldFileTime = 981173106;  // 2001-02-03 04:05:06 UTC
constexpr int64_t kNewFileTime = 1699794856; // 2023-11-12 13:14:16 UTC

class ShareSearchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        KESTROVA_REQUIRE_SMB_FIXTURE();
        config.SearchMethod = TSearchType::SpecifiedComputers;
        config.ResList = hostUnc(2);
    }
    void TearDown() override { SmbAgentProcess::setAgentCommand({}); }

    THeadlessSearchResult Run()
    {
        LiveSearch search;
        search.accounts = accounts;
        THeadlessSearchResult result = search.run(config);
        EXPECT_TRUE(result.Errors.empty()) << result.Errors.front().toStdString();
        return result;
    }

    static QStringList Sorted(QStringList names)
    {
        names.sort();
        return names;
    }

    static QHash<QString, TItemRecord> ByName(const THeadlessSearchResult& result)
    {
        QHash<QString, TItemRecord> items;
        for (const TItemRecord& item : result.Items)
            items.insert(item.FileName, item);
        return items;
    }

    static QString Public(const QString& relative) { return hostUnc(2) + "\\public\\" + relative; }

    TThreadConfig config;
    std::vector<TUnicodeAccount> accounts;
};

TEST_F(ShareSearchTest, HitsCarryUncNamesAttributesSizesAndTimes)
{
    config.FileMasks = "attrs\\*;*.txt;sparse5g.bin;hiddendir";
    // Only the attribute and size samples: the folder list keeps the rest out.
    config.FoldersSearchMethod = TFolderListMode::OnlySpecified;
    config.FolderList = "public\\attrs,public\\big,public\\dated";
    const auto items = ByName(Run());

    EXPECT_EQ(Sorted(items.keys()),
              Sorted({Public("attrs\\hidden.txt"), Public("attrs\\system.txt"), Public("attrs\\readonly.txt"),
                      Public("attrs\\plain.txt"), Public("attrs\\hiddendir"), Public("big\\sparse5g.bin"),
                      Public("dated\\old.txt"), Public("dated\\new.txt")}));
    auto attrs = [&](const QString& name) { return items.value(Public(name)).Attrs; };
    EXPECT_TRUE(attrs("attrs\\hidden.txt") & kAttrHidden);
    EXPECT_FALSE(attrs("attrs\\hidden.txt") & (kAttrSystem | kAttrReadOnly | kAttrDirectory));
    EXPECT_TRUE(attrs("attrs\\system.txt") & kAttrSystem);
    EXPECT_TRUE(attrs("attrs\\readonly.txt") & kAttrReadOnly);
    EXPECT_FALSE(attrs("attrs\\plain.txt") & (kAttrHidden | kAttrSystem | kAttrReadOnly));
    EXPECT_EQ(attrs("attrs\\hiddendir") & (kAttrDirectory | kAttrHidden), kAttrDirectory | kAttrHidden);
    EXPECT_TRUE(IsFolderItem(items.value(Public("attrs\\hiddendir"))));

    EXPECT_EQ(items.value(Public("big\\sparse5g.bin")).Size, int64_t(5) << 30);
    EXPECT_EQ(items.value(Public("attrs\\plain.txt")).Size, 9); // holds its own name
    EXPECT_EQ(items.value(Public("dated\\old.txt")).DateTime,
              FileDateToDateTime(UnixTimeToFileDate(kOldFileTime)));
    EXPECT_EQ(items.value(Public("dated\\new.txt")).DateTime,
              FileDateToDateTime(UnixTimeToFileDate(kNewFileTime)));
}

TEST_F(ShareSearchTest, HiddenShareModesChooseTheSharesSearched)
{
    config.FileMasks = "*.txt";
    accounts = {{hostUnc(2), SmbFixture::alice().name, SmbFixture::alice().password}};
    const QString host = hostUnc(2);
    struct Case {
        THiddenShareMode mode;
        QString found;
        bool hiddenShareHit, publicHit;
    };
    for (const Case& c :
         {Case{THiddenShareMode::CommonOnly, "Found 3 folders on " + host + ": public,alice,bob", false,
               true},
          Case{THiddenShareMode::HiddenOnly, "Found 1 folders on " + host + ": hidden$", true, false},
          Case{THiddenShareMode::CommonAndHidden, "Found 4 folders on " + host + ": public,hidden$,alice,bob",
               true, true}}) {
        config.HiddenResSearchMethod = c.mode;
        const THeadlessSearchResult result = Run();
        const QStringList names = ItemNames(result);
        EXPECT_GE(LogIndex(result, c.found), 0) << StoredModeValue(c.mode) << "\n"
                                                << LogTexts(result).join("\n").toStdString();
        EXPECT_EQ(names.contains(host + "\\hidden$\\hidden-share.txt"), c.hiddenShareHit)
            << StoredModeValue(c.mode);
        EXPECT_EQ(names.contains(Public("readme.txt")), c.publicHit) << StoredModeValue(c.mode);
        // The account logs on to the host, so alice's own share opens too; bob's never.
        EXPECT_EQ(names.contains(host + "\\alice\\alice.txt"), c.mode != THiddenShareMode::HiddenOnly)
            << StoredModeValue(c.mode);
        EXPECT_FALSE(names.contains(host + "\\bob\\bob.txt")) << StoredModeValue(c.mode);
        // Printers and non-browseable shares are never searched.
        for (const QString& name : names) {
            EXPECT_FALSE(name.startsWith(host + "\\secret\\")) << name.toStdString();
            EXPECT_FALSE(name.startsWith(host + "\\lp\\")) << name.toStdString();
        }
    }

    config.HiddenResSearchMethod = THiddenShareMode::Unknown;
    const THeadlessSearchResult none = Run();
    EXPECT_TRUE(none.Items.isEmpty());
    EXPECT_GE(LogIndex(none, "No folders found on " + host), 0);
}

TEST_F(ShareSearchTest, FolderListDecidesWhoseEntriesAreTestedNotWhereTheWalkGoes)
{
    config.FileMasks = "*";
    config.FolderList = "public\\docs";
    config.FoldersSearchMethod = TFolderListMode::OnlySpecified;
    // Entries of public\docs only; its subfolder's own entries are not (the mask
    // names that one folder), though the walk went through it.
    EXPECT_EQ(Sorted(ItemNames(Run())), Sorted({Public("docs\\report.doc"), Public("docs\\sub")}));

    config.FoldersSearchMethod = TFolderListMode::AllExceptSpecified;
    const QStringList allBut = ItemNames(Run());
    EXPECT_FALSE(allBut.contains(Public("docs\\report.doc")));
    EXPECT_FALSE(allBut.contains(Public("docs\\sub")));
    EXPECT_TRUE(allBut.contains(Public("docs\\sub\\notes.txt")));
    EXPECT_TRUE(allBut.contains(Public("readme.txt")));
    EXPECT_TRUE(allBut.contains(Public("docs")));

    // A wildcard mask takes every folder below docs as well.
    config.FoldersSearchMethod = TFolderListMode::OnlySpecified;
    config.FolderList = "public\\docs*";
    EXPECT_EQ(Sorted(ItemNames(Run())),
              Sorted({Public("docs\\report.doc"), Public("docs\\sub"), Public("docs\\sub\\notes.txt")}));
}

TEST_F(ShareSearchTest, SizeFilterIncludesBothBounds)
{
    // readme.txt and report.doc hold 6 bytes, notes.txt 5, inner.txt of the loop 5.
    config.FileMasks = "readme.txt;report.doc;notes.txt";
    config.FilterBySize = true;
    config.SizeFrom = 6;
    config.SizeTo = 6;
    EXPECT_EQ(Sorted(ItemNames(Run())), Sorted({Public("readme.txt"), Public("docs\\report.doc")}));
    config.SizeFrom = 5;
    config.SizeTo = 5;
    EXPECT_EQ(ItemNames(Run()), QStringList({Public("docs\\sub\\notes.txt")}));
    config.SizeFrom = 7;
    config.SizeTo = 100;
    EXPECT_TRUE(Run().Items.isEmpty());

    // Bounds past 4 GiB are compared in 64 bits.
    config.FileMasks = "*.bin";
    config.SizeFrom = int64_t(5) << 30;
    config.SizeTo = int64_t(5) << 30;
    EXPECT_EQ(ItemNames(Run()), QStringList({Public("big\\sparse5g.bin")}));
    config.SizeFrom = (int64_t(5) << 30) + 1;
    config.SizeTo = int64_t(6) << 30;
    EXPECT_TRUE(Run().Items.isEmpty());
}

TEST_F(ShareSearchTest, DateFilterIncludesBothBounds)
{
    config.FileMasks = "old.txt;new.txt";
    config.FilterByDate = true;
    const int32_t oldDate = UnixTimeToFileDate(kOldFileTime);
    const int32_t newDate = UnixTimeToFileDate(kNewFileTime);
    config.DateFrom = oldDate;
    config.DateTo = newDate;
    EXPECT_EQ(Sorted(ItemNames(Run())), Sorted({Public("dated\\old.txt"), Public("dated\\new.txt")}));
    config.DateTo = oldDate;
    EXPECT_EQ(ItemNames(Run()), QStringList({Public("dated\\old.txt")}));
    // Two seconds later is the next time a packed date can hold.
    config.DateFrom = UnixTimeToFileDate(kOldFileTime + 2);
    config.DateTo = UnixTimeToFileDate(kNewFileTime - 2);
    EXPECT_TRUE(Run().Items.isEmpty());
}

TEST_F(ShareSearchTest, ContentIsFoundAcrossTheAgentsReadsAndAtTheEndOfALargeFile)
{
    config.ResList = hostUnc(3);
    config.HiddenResSearchMethod = THiddenShareMode::HiddenOnly;
    config.FileMasks = "*.bin;*.csv";
    config.EnableTextSearch = true;
    config.Logic = TTextLogic::All; // all terms
    const QStringList chunked({hostUnc(3) + "\\data$\\chunked.bin"});
    config.SearchText = "SPLIT-TERM-4,END-MARK";
    EXPECT_EQ(ItemNames(Run()), chunked);
    config.SearchText = "SPLIT-TERM-4,END-MARKS";
    EXPECT_TRUE(Run().Items.isEmpty());
    // "none": a file holding neither term passes, the large one does not.
    config.Logic = TTextLogic::None;
    config.SearchText = "SPLIT-TERM-4,ABSENT";
    EXPECT_EQ(ItemNames(Run()), QStringList({hostUnc(3) + "\\data$\\data.csv"}));
}

TEST_F(ShareSearchTest, PrefetchAgentsChangeNeitherTheHitsNorTheirOrder)
{
    config.FileMasks = "*";
    config.HiddenResSearchMethod = THiddenShareMode::CommonAndHidden;
    const THeadlessSearchResult direct = Run();
    ASSERT_GT(direct.Items.size(), 40);

    SmbAgentOptions options;
    options.prefetchAgents = 3;
    LiveSearch search(137, options);
    const THeadlessSearchResult prefetched = search.run(config);
    EXPECT_TRUE(prefetched.Errors.empty());
    // The same records in the same depth-first order.
    EXPECT_EQ(prefetched.Items, direct.Items);
    EXPECT_EQ(LogLinesStartingWith(prefetched, "Cannot search"),
              LogLinesStartingWith(direct, "Cannot search"));
}

TEST_F(ShareSearchTest, FourWorkersOnFourHostsFindWhatOneAtATimeFinds)
{
    config.FileMasks = "*";
    config.ResList = hostUnc(2) + "," + hostUnc(3) + "," + hostUnc(4) + "," + hostUnc(5);
    accounts = {{hostUnc(4), SmbFixture::alice().name, SmbFixture::alice().password},
                {hostUnc(5) + "\\team", SmbFixture::bob().name, SmbFixture::bob().password}};

    config.MaxThreads = 1;
    const THeadlessSearchResult oneAtATime = Run();
    config.MaxThreads = 4;
    LiveSearch parallel;
    parallel.accounts = accounts;
    const THeadlessSearchResult atOnce = parallel.run(config);

    EXPECT_TRUE(atOnce.Errors.empty());
    const QStringList expected = Sorted(ItemNames(oneAtATime));
    EXPECT_EQ(Sorted(ItemNames(atOnce)), expected);
    for (int host : {2, 3, 4, 5}) {
        EXPECT_TRUE(std::any_of(expected.begin(), expected.end(), [&](const QString& name) {
            return name.startsWith(hostUnc(host) + "\\");
        })) << host;
    }
    // The same records, not only the same names.
    const auto serial = ByName(oneAtATime);
    for (const TItemRecord& item : atOnce.Items)
        EXPECT_EQ(item, serial.value(item.FileName)) << item.FileName.toStdString();
    EXPECT_EQ(parallel.shareClients.created(), 4);
    EXPECT_GE(parallel.shareClients.mostAliveAtOnce(), 2);
}

} // namespace
