#include "engine/FolderWalk.h"

#include "engine/SearchLog.h"
#include "model/DateTime.h"
#include "support/FakeHostSearchContext.h"
#include "support/QStringPrinter.h"
#include "support/engine/FakeShareNetwork.h"

#include <QDateTime>
#include <cerrno>
#include <gtest/gtest.h>

namespace {

const QString kShare = "\\\\HOST\\share";

int64_t LocalUnixTime(int year, int month, int day, int hour, int minute, int second = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second), Qt::LocalTime).toSecsSinceEpoch();
}

int32_t PackedLocal(int year, int month, int day, int hour, int minute, int second = 0)
{
    return DateTimeToFileDate(EncodeDateTime({year, month, day, hour, minute, second, 0}));
}

class FolderWalkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        context.useFileMasks("*");
        net.addShare("\\\\HOST", "share");
    }

    std::vector<QString> Walk(const QString& folderList = {})
    {
        context.useFileMasks(context.config.FileMasks);
        folderMasks = BuildFolderMasks(folderList);
        TFolderWalk walk(client, context, folderMasks);
        walk.SearchFolder(kShare, 0);
        const QStringList names = context.hitNames();
        return {names.begin(), names.end()};
    }

    std::vector<TSearchLogEntry> Log() { return context.log.Snapshot(); }

    FakeShareNetwork net;
    FakeShareClient client{net};
    FakeHostSearchContext context;
    TFileMaskList folderMasks;
};

// Holds hits as a worker does, and notes for each hit how many listings and file
// opens the walk had made when it was held and when it was handed over.
class HoldingContext : public FakeHostSearchContext {
public:
    explicit HoldingContext(FakeShareNetwork& net) : m_net(net) {}

    void HoldHit(const TItemRecord& hit) override { held.emplace_back(hit, Calls()); }
    void HandOverHeldHits() override
    {
        if (!held.empty())
            batches.push_back(held.size());
        for (const auto& [hit, calls] : held) {
            if (calls != Calls())
                ++lateHits;
            DeliverHit(hit);
        }
        held.clear();
    }

    std::vector<std::pair<TItemRecord, size_t>> held;
    std::vector<size_t> batches; // hits per hand-over
    int lateHits = 0;            // held across a listing or a file open

private:
    size_t Calls() const { return m_net.listedFolders().size() + m_net.openedFiles().size(); }
    FakeShareNetwork& m_net;
};

TEST_F(FolderWalkTest, AListingsHitsAreHandedOverTogetherBeforeTheNextListingAndAtTheEnd)
{
    HoldingContext holding(net);
    holding.useFileMasks("*");
    net.addFile(kShare + "\\a.txt");
    net.addFile(kShare + "\\b.txt");
    net.addFile(kShare + "\\sub\\c.txt");
    net.addFile(kShare + "\\sub\\d.txt");
    net.addFile(kShare + "\\z.txt");
    TFolderWalk walk(client, holding, folderMasks);
    walk.SearchFolder(kShare, 0);

    EXPECT_EQ(holding.hitNames(),
              QStringList({kShare + "\\a.txt", kShare + "\\b.txt", kShare + "\\sub", kShare + "\\sub\\c.txt",
                           kShare + "\\sub\\d.txt", kShare + "\\z.txt"}));
    EXPECT_TRUE(holding.held.empty());
    EXPECT_EQ(holding.lateHits, 0);
    // The share's first three entries before sub is listed, sub's two and the share's
    // last one at the end.
    EXPECT_EQ(holding.batches, std::vector<size_t>({3, 3}));
}

TEST_F(FolderWalkTest, HeldHitsAreHandedOverBeforeAFileIsOpenedForTheContentTest)
{
    HoldingContext holding(net);
    net.addFile(kShare + "\\a.txt", "needle");
    net.addFile(kShare + "\\b.txt", "needle");
    net.addFile(kShare + "\\c.txt", "hay");
    holding.useFileMasks("*.txt");
    holding.config.EnableTextSearch = true;
    holding.config.SearchText = "needle";
    TFolderWalk walk(client, holding, folderMasks);
    walk.SearchFolder(kShare, 0);

    EXPECT_EQ(holding.hitNames(), QStringList({kShare + "\\a.txt", kShare + "\\b.txt"}));
    EXPECT_EQ(holding.lateHits, 0);
    EXPECT_EQ(holding.batches, std::vector<size_t>({1, 1}));
    // Each file is named as it is scanned, and the folder again for the next entry.
    using Activity = std::pair<TWorkerActivity, QString>;
    EXPECT_EQ(holding.activities, std::vector<Activity>({{waSearching, kShare},
                                                         {waScanning, kShare + "\\a.txt"},
                                                         {waSearching, kShare},
                                                         {waScanning, kShare + "\\b.txt"},
                                                         {waSearching, kShare},
                                                         {waScanning, kShare + "\\c.txt"}}));
}

TEST_F(FolderWalkTest, WalksDepthFirstInListingOrderAndLogsTheShareOnce)
{
    net.sendDotEntries(true);
    net.addFile(kShare + "\\b.txt");
    net.addFile(kShare + "\\sub\\c.txt");
    net.addFile(kShare + "\\sub\\deeper\\d.txt");
    net.addFile(kShare + "\\a.txt");
    const auto hits = Walk();
    EXPECT_EQ(hits, std::vector<QString>({kShare + "\\b.txt", kShare + "\\sub", kShare + "\\sub\\c.txt",
                                          kShare + "\\sub\\deeper", kShare + "\\sub\\deeper\\d.txt",
                                          kShare + "\\a.txt"}));
    EXPECT_EQ(Log(),
              std::vector<TSearchLogEntry>({{TSearchLogKind::Computer, "Searching " + kShare + "..."}}));
}

TEST_F(FolderWalkTest, HitCarriesAttributesSizeAndPackedTime)
{
    const int64_t fiveGiB = int64_t(5) << 30;
    net.addFile(kShare + "\\big.iso", {}, 0x20 | 0x01, LocalUnixTime(2023, 4, 5, 6, 7, 9), fiveGiB);
    Walk();
    ASSERT_EQ(context.hits.size(), 1u);
    const TItemRecord& hit = context.hits[0];
    EXPECT_EQ(hit.Attrs, 0x21);
    EXPECT_EQ(hit.Size, fiveGiB);
    EXPECT_EQ(hit.ImageIndex, -1);
    // Two-second resolution: the odd second is dropped.
    EXPECT_EQ(hit.DateTime, EncodeDateTime({2023, 4, 5, 6, 7, 8, 0}));
}

TEST_F(FolderWalkTest, HiddenAndSystemEntriesAreFoundLikeAnyOther)
{
    context.config.FileMasks = "*.sys";
    net.addFile(kShare + "\\pagefile.sys", {}, 0x02 | 0x04);
    net.addFolder(kShare + "\\secret", 0x12);
    net.addFile(kShare + "\\secret\\boot.sys", {}, 0x06);
    EXPECT_EQ(Walk(), std::vector<QString>({kShare + "\\pagefile.sys", kShare + "\\secret\\boot.sys"}));
    EXPECT_EQ(context.hits[0].Attrs, 0x06);
}

TEST_F(FolderWalkTest, MatchingFolderIsAHitWithItsAttributes)
{
    context.config.FileMasks = "temp";
    net.addFolder(kShare + "\\Temp", 0x10 | 0x02);
    net.addFile(kShare + "\\Temp\\x.dat");
    EXPECT_EQ(Walk(), std::vector<QString>({kShare + "\\Temp"}));
    EXPECT_EQ(context.hits[0].Attrs, 0x12);
}

TEST_F(FolderWalkTest, FolderListDecidesWhoseEntriesAreTestedNeverWhatIsWalked)
{
    net.addFile(kShare + "\\top.txt");
    net.addFile(kShare + "\\temp\\in.txt");
    net.addFile(kShare + "\\temp\\old\\deep.txt");
    net.addFile(kShare + "\\temp\\old\\older\\deepest.txt");

    context.config.FoldersSearchMethod = TFolderListMode::OnlySpecified;
    EXPECT_EQ(Walk("*\\temp"), std::vector<QString>({kShare + "\\temp\\in.txt", kShare + "\\temp\\old"}));
    // The unmatched folders below were still listed.
    const auto listed = net.listedFolders();
    EXPECT_NE(std::find(listed.begin(), listed.end(), kShare + "\\temp\\old\\older"), listed.end());

    context.hits.clear();
    EXPECT_EQ(Walk("*\\temp\\*"),
              std::vector<QString>({kShare + "\\temp\\in.txt", kShare + "\\temp\\old",
                                    kShare + "\\temp\\old\\deep.txt", kShare + "\\temp\\old\\older",
                                    kShare + "\\temp\\old\\older\\deepest.txt"}));

    context.hits.clear();
    context.config.FoldersSearchMethod = TFolderListMode::AllExceptSpecified;
    EXPECT_EQ(
        Walk("*\\temp"),
        std::vector<QString>({kShare + "\\top.txt", kShare + "\\temp", kShare + "\\temp\\old\\deep.txt",
                              kShare + "\\temp\\old\\older", kShare + "\\temp\\old\\older\\deepest.txt"}));

    // A mode the settings did not know filters nothing, like "all folders".
    context.hits.clear();
    context.config.FoldersSearchMethod = TFolderListMode::AllFolders;
    const std::vector<QString> all = Walk("*\\temp");
    EXPECT_EQ(all.size(), 7u);
    context.hits.clear();
    context.config.FoldersSearchMethod = TFolderListMode::Unknown;
    EXPECT_EQ(Walk("*\\temp"), all);
}

TEST_F(FolderWalkTest, SizeBoundsAreInclusiveAtBothEnds)
{
    for (int64_t size : {99, 100, 150, 200, 201})
        net.addFile(kShare + QString("\\f%1").arg(size), {}, 0x20, 1'600'000'000, size);
    context.config.FilterBySize = true;
    context.config.SizeFrom = 100;
    context.config.SizeTo = 200;
    EXPECT_EQ(Walk(), std::vector<QString>({kShare + "\\f100", kShare + "\\f150", kShare + "\\f200"}));
}

TEST_F(FolderWalkTest, UpperSizeBoundOfZeroExcludesEveryNonEmptyFile)
{
    net.addFile(kShare + "\\empty", {}, 0x20, 1'600'000'000, 0);
    net.addFile(kShare + "\\one", {}, 0x20, 1'600'000'000, 1);
    context.config.FilterBySize = true;
    EXPECT_EQ(Walk(), std::vector<QString>({kShare + "\\empty"}));
}

TEST_F(FolderWalkTest, FolderFailsALowerSizeBoundAboveZero)
{
    net.addFolder(kShare + "\\dir");
    net.addFile(kShare + "\\file", {}, 0x20, 1'600'000'000, 10);
    context.config.FilterBySize = true;
    context.config.SizeFrom = 1;
    context.config.SizeTo = 100;
    EXPECT_EQ(Walk(), std::vector<QString>({kShare + "\\file"}));
}

TEST_F(FolderWalkTest, DateBoundsAreInclusiveWithTwoSecondResolution)
{
    net.addFile(kShare + "\\before", {}, 0x20, LocalUnixTime(2024, 5, 1, 11, 59, 58));
    net.addFile(kShare + "\\at-from", {}, 0x20, LocalUnixTime(2024, 5, 1, 12, 0, 1)); // packs to 12:00:00
    net.addFile(kShare + "\\at-to", {}, 0x20, LocalUnixTime(2024, 5, 10, 0, 0));
    net.addFile(kShare + "\\same-day-later", {}, 0x20, LocalUnixTime(2024, 5, 10, 10, 0));
    context.config.FilterByDate = true;
    context.config.DateFrom = PackedLocal(2024, 5, 1, 12, 0);
    context.config.DateTo = PackedLocal(2024, 5, 10, 0, 0); // a date from the settings: midnight
    EXPECT_EQ(Walk(), std::vector<QString>({kShare + "\\at-from", kShare + "\\at-to"}));
}

TEST_F(FolderWalkTest, ShareThatCannotBeListedGivesOneLineAndNoSearchingLine)
{
    net.failList(kShare, 53, "The network path was not found.");
    Walk();
    EXPECT_EQ(Log(),
              std::vector<TSearchLogEntry>(
                  {{TSearchLogKind::Computer,
                    "Cannot search " + kShare + ": error code 53 (The network path was not found.)"}}));
}

TEST_F(FolderWalkTest, AListedShareIsReadWriteOnlyWhenItsWriteCheckSaysSo)
{
    using Reach = FakeHostSearchContext::ShareReach;
    net.addFolder(kShare + "\\sub");
    net.answerWriteCheck(kShare, true);
    Walk();
    net.answerWriteCheck(kShare, false);
    Walk();
    net.answerWriteCheck(kShare, PlatformError{EIO, "Input/output error"});
    Walk();
    EXPECT_EQ(context.sharesReached, std::vector<Reach>({{kShare, TShareRights::ReadWrite, {}},
                                                         {kShare, TShareRights::Read, {}},
                                                         {kShare, TShareRights::Read, {}}}));
    // Asked once per walk, of the share itself, never of a folder below it.
    EXPECT_EQ(net.writeChecks(), std::vector<QString>({kShare, kShare, kShare}));
}

TEST_F(FolderWalkTest, AShareThatCannotBeListedIsNoAccessWithItsErrorAndNoWriteCheck)
{
    using Reach = FakeHostSearchContext::ShareReach;
    net.answerWriteCheck(kShare, true);
    net.failList(kShare, EACCES, "Permission denied");
    Walk();
    EXPECT_EQ(context.sharesReached, std::vector<Reach>({{kShare, TShareRights::None, "Permission denied"}}));
    EXPECT_TRUE(net.writeChecks().empty());
}

TEST_F(FolderWalkTest, FolderBelowTheRootThatCannotBeListedIsSkippedSilently)
{
    net.addFile(kShare + "\\locked\\x.txt");
    net.addFile(kShare + "\\open\\y.txt");
    net.failList(kShare + "\\locked", EACCES, "Permission denied");
    EXPECT_EQ(Walk(),
              std::vector<QString>({kShare + "\\locked", kShare + "\\open", kShare + "\\open\\y.txt"}));
    EXPECT_EQ(Log().size(), 1u); // only "Searching ..."
}

TEST_F(FolderWalkTest, AServerLostBelowTheRootIsLoggedOnceAndTheWalkGoesOn)
{
    net.addFile(kShare + "\\gone\\x.txt");
    net.addFile(kShare + "\\gone too\\y.txt");
    net.addFile(kShare + "\\z.txt");
    net.failList(kShare + "\\gone", ECONNRESET, "Connection reset by peer");
    net.failList(kShare + "\\gone too", ECONNRESET, "Connection reset by peer");
    EXPECT_EQ(Walk(), std::vector<QString>({kShare + "\\gone", kShare + "\\gone too", kShare + "\\z.txt"}));
    EXPECT_EQ(Log(), std::vector<TSearchLogEntry>(
                         {{TSearchLogKind::Computer, "Searching " + kShare + "..."},
                          {TSearchLogKind::Computer, "Cannot search " + kShare + "\\gone: error code " +
                                                         QString::number(ECONNRESET) +
                                                         " (Connection reset by peer)"}}));
}

TEST_F(FolderWalkTest, ErrorTextWithPercentSignsIsLoggedLiterally)
{
    const QString share = "\\\\HOST\\100%1";
    net.failList(share, 2, "No such file %2");
    context.useFileMasks(context.config.FileMasks);
    TFolderWalk walk(client, context, folderMasks);
    walk.SearchFolder(share, 0);
    EXPECT_EQ(Log()[0].Text, "Cannot search \\\\HOST\\100%1: error code 2 (No such file %2)");
}

TEST_F(FolderWalkTest, StopEndsTheWalkBeforeTheNextEntry)
{
    net.addFile(kShare + "\\a");
    net.addFile(kShare + "\\b");
    net.addFile(kShare + "\\sub\\c");
    context.onHit = [this](const TItemRecord&) { context.stop.request_stop(); };
    EXPECT_EQ(Walk(), std::vector<QString>({kShare + "\\a"}));
    EXPECT_EQ(net.listedFolders(), std::vector<QString>({kShare}));
}

TEST_F(FolderWalkTest, ActivityNamesTheFolderBeingWalked)
{
    net.addFile(kShare + "\\sub\\x");
    Walk();
    using Activity = std::pair<TWorkerActivity, QString>;
    EXPECT_EQ(context.activities,
              std::vector<Activity>({{waSearching, kShare}, {waSearching, kShare + "\\sub"}}));
}

TEST_F(FolderWalkTest, LinkToAnAncestorIsNotWalkedRound)
{
    net.sendDotEntries(true);
    net.addFile(kShare + "\\a\\one.txt");
    net.addFile(kShare + "\\a\\b\\two.txt");
    net.linkFolder(kShare + "\\a\\b\\up", kShare + "\\a");
    net.addFile(kShare + "\\z.txt");
    context.config.FileMasks = "*.txt";
    EXPECT_EQ(Walk(), std::vector<QString>(
                          {kShare + "\\a\\one.txt", kShare + "\\a\\b\\two.txt", kShare + "\\z.txt"}));
    // The looped folder is listed once, then recognised; nothing below it is listed.
    const auto listed = net.listedFolders();
    EXPECT_EQ(std::count(listed.begin(), listed.end(), kShare + "\\a\\b\\up"), 1);
    EXPECT_EQ(std::count_if(listed.begin(), listed.end(),
                            [](const QString& path) { return path.startsWith(kShare + "\\a\\b\\up\\"); }),
              0);
}

TEST_F(FolderWalkTest, LinkLoopWithoutDotEntriesIsRecognisedToo)
{
    net.addFile(kShare + "\\a\\one.txt");
    net.linkFolder(kShare + "\\a\\self", kShare + "\\a");
    EXPECT_EQ(Walk(), std::vector<QString>({kShare + "\\a", kShare + "\\a\\one.txt", kShare + "\\a\\self"}));
}

TEST_F(FolderWalkTest, ChainOfSingleFoldersWithEqualTimesIsWalkedToTheEnd)
{
    net.sendDotEntries(true);
    net.addFile(kShare + "\\a\\a\\a\\a\\found.txt");
    context.config.FileMasks = "*.txt";
    EXPECT_EQ(Walk(), std::vector<QString>({kShare + "\\a\\a\\a\\a\\found.txt"}));
}

TEST_F(FolderWalkTest, LoopThroughAFolderHoldingOnlyTheLinkEndsAtTheDepthBound)
{
    net.sendDotEntries(true);
    net.linkFolder(kShare + "\\a\\self", kShare + "\\a");
    net.addFile(kShare + "\\z.txt");
    context.config.FileMasks = "*.txt";
    EXPECT_EQ(Walk(), std::vector<QString>({kShare + "\\z.txt"}));
    // Share, a, then a\self, a\self\self, ... down to the depth bound and no further.
    const auto listed = net.listedFolders();
    EXPECT_EQ(listed.size(), size_t(TFolderWalk::kMaxWalkDepth) + 1);
}

TEST_F(FolderWalkTest, SiblingsWithEqualListingsAreBothWalked)
{
    net.addFile(kShare + "\\copy1\\same.txt");
    net.addFile(kShare + "\\copy2\\same.txt");
    context.config.FileMasks = "*.txt";
    EXPECT_EQ(Walk(), std::vector<QString>({kShare + "\\copy1\\same.txt", kShare + "\\copy2\\same.txt"}));
}

TEST_F(FolderWalkTest, ContentTestScansMatchingFilesOnlyAndNeverFolders)
{
    net.addFile(kShare + "\\yes.txt", "some needle here");
    net.addFile(kShare + "\\no.txt", "nothing");
    net.addFile(kShare + "\\needle.bin", "needle"); // name fails first: never opened
    net.addFolder(kShare + "\\needle.txt");
    context.config.FileMasks = "*.txt";
    context.config.EnableTextSearch = true;
    context.config.SearchText = "needle";
    EXPECT_EQ(Walk(), std::vector<QString>({kShare + "\\yes.txt"}));
    EXPECT_EQ(net.openedFiles(), std::vector<QString>({kShare + "\\yes.txt", kShare + "\\no.txt"}));
    using Activity = std::pair<TWorkerActivity, QString>;
    EXPECT_NE(std::find(context.activities.begin(), context.activities.end(),
                        Activity{waScanning, kShare + "\\yes.txt"}),
              context.activities.end());
}

TEST_F(FolderWalkTest, EmptySearchTextOrDisabledContentTestOpensNothing)
{
    net.addFile(kShare + "\\a.txt", "text");
    context.config.SearchText = "absent";
    EXPECT_EQ(Walk().size(), 1u);
    context.hits.clear();
    context.config.EnableTextSearch = true;
    context.config.SearchText.clear();
    EXPECT_EQ(Walk().size(), 1u);
    EXPECT_TRUE(net.openedFiles().empty());
}

TEST_F(FolderWalkTest, SubfoldersAreAnnouncedLastToFirstAndAllOfThemListedLater)
{
    for (int i = 1; i <= 6; ++i)
        net.addFolder(kShare + QString("\\sub%1").arg(i));
    net.addFile(kShare + "\\sub2\\inner\\x.txt");
    Walk();
    // The latest announcement is always the walk's next listing.
    const auto hints = net.prefetchHints();
    EXPECT_EQ(hints, std::vector<QString>({kShare + "\\sub6", kShare + "\\sub5", kShare + "\\sub4",
                                           kShare + "\\sub3", kShare + "\\sub2", kShare + "\\sub1",
                                           kShare + "\\sub2\\inner"}));
    const auto listed = net.listedFolders();
    for (const QString& hint : hints)
        EXPECT_NE(std::find(listed.begin(), listed.end(), hint), listed.end()) << hint.toStdString();
}

// A server whose every folder holds one new subfolder: the tree never ends.
class EndlessShareClient : public FakeShareClient {
public:
    using FakeShareClient::FakeShareClient;
    Result<std::vector<ShareDirEntry>> listFolder(const QString& folder) override
    {
        deepest = folder;
        return std::vector<ShareDirEntry>{{name, 0x10, 0, 1'600'000'000 + ++listings}};
    }
    QString name = "deeper";
    QString deepest;
    int listings = 0;
};

TEST_F(FolderWalkTest, WalkNeverDescendsPastThePathLengthLimit)
{
    EndlessShareClient endless(net);
    endless.name = QString(70, u'n'); // the path limit comes before the depth bound
    context.config.FileMasks = "*.none";
    context.useFileMasks(context.config.FileMasks);
    TFolderWalk walk(endless, context, folderMasks);
    walk.SearchFolder(kShare, 0);
    EXPECT_LE(endless.deepest.size(), TFolderWalk::kMaxWalkPathLength);
    // The next level would have passed the limit.
    EXPECT_GT(endless.deepest.size() + 1 + endless.name.size(), TFolderWalk::kMaxWalkPathLength);
}

} // namespace
