#include "platform/SmbShareClient.h"

#include "support/ShareClientCalls.h"
#include "support/SmbFixture.h"

#include <QDateTime>
#include <QFile>
#include <QSet>
#include <cerrno>
#include <gtest/gtest.h>

using namespace SmbFixture;

namespace {

constexpr uint32_t kReadOnly = 0x01, kHidden = 0x02, kSystem = 0x04, kDirectory = 0x10;

class SmbShareClientTest : public ::testing::Test {
protected:
    void SetUp() override { KESTROVA_REQUIRE_SMB_FIXTURE(); }

    static QString path(int host, const QString& rest) { return hostUnc(host) + QLatin1Char('\\') + rest; }

    std::vector<ShareDirEntry> list(const QString& folder)
    {
        std::vector<ShareDirEntry> entries;
        PlatformError error = ListFolder(client, folder, entries);
        EXPECT_FALSE(error.failed()) << folder.toStdString() << ": " << error.code << " "
                                     << error.message.toStdString();
        return entries;
    }

    static const ShareDirEntry* find(const std::vector<ShareDirEntry>& entries, const QString& name)
    {
        for (const ShareDirEntry& entry : entries)
            if (entry.name == name)
                return &entry;
        return nullptr;
    }

    QByteArray readAll(const QString& file)
    {
        PlatformError error;
        std::unique_ptr<ByteSource> source = OpenFile(client, file, error);
        if (!source) {
            ADD_FAILURE() << file.toStdString() << ": " << error.message.toStdString();
            return {};
        }
        QByteArray data(qsizetype(source->size()), '\0');
        EXPECT_EQ(source->read(0, data.data(), data.size()), data.size());
        return data;
    }

    SmbShareClient client;
};

} // namespace

TEST_F(SmbShareClientTest, ListsSharesWithTheirTypes)
{
    std::vector<ShareInfo> shares;
    PlatformError error = ListShares(client, hostUnc(2), shares);
    ASSERT_FALSE(error.failed()) << error.message.toStdString();
    QHash<QString, ShareType> byName;
    for (const ShareInfo& share : shares)
        byName.insert(share.name, share.type);
    EXPECT_EQ(byName.value(QStringLiteral("public"), ShareType::Other), ShareType::Disk);
    EXPECT_EQ(byName.value(QStringLiteral("hidden$"), ShareType::Other), ShareType::Disk);
    EXPECT_EQ(byName.value(QStringLiteral("alice"), ShareType::Other), ShareType::Disk);
    EXPECT_EQ(byName.value(QStringLiteral("lp"), ShareType::Other), ShareType::Printer);
    EXPECT_EQ(byName.value(QStringLiteral("IPC$"), ShareType::Other), ShareType::Ipc);
    EXPECT_FALSE(byName.contains(QStringLiteral("secret"))) << "a share that is not browseable is not listed";
}

TEST_F(SmbShareClientTest, NonBrowseableAndHiddenSharesStillOpen)
{
    EXPECT_NE(find(list(path(2, QStringLiteral("secret"))), QStringLiteral("secret.txt")), nullptr);
    EXPECT_NE(find(list(path(2, QStringLiteral("hidden$"))), QStringLiteral("hidden-share.txt")), nullptr);
}

TEST_F(SmbShareClientTest, ListsDosAttributesAndSizes)
{
    auto entries = list(path(2, QStringLiteral("public\\attrs")));
    struct Expected {
        const char* name;
        uint32_t set, clear;
        int64_t size;
    };
    for (const Expected& expected : {Expected{"hidden.txt", kHidden, kSystem | kReadOnly | kDirectory, 10},
                                     Expected{"system.txt", kSystem, kHidden | kReadOnly | kDirectory, 10},
                                     Expected{"readonly.txt", kReadOnly, kHidden | kSystem | kDirectory, 12},
                                     Expected{"plain.txt", 0, kHidden | kSystem | kReadOnly | kDirectory, 9},
                                     Expected{"hiddendir", kDirectory | kHidden, kSystem, -1}}) {
        const ShareDirEntry* entry = find(entries, QString::fromUtf8(expected.name));
        ASSERT_NE(entry, nullptr) << expected.name;
        EXPECT_EQ(entry->attributes & expected.set, expected.set) << expected.name;
        EXPECT_EQ(entry->attributes & expected.clear, 0u) << expected.name;
        if (expected.size >= 0) {
            EXPECT_EQ(entry->size, expected.size) << expected.name;
        }
    }
}

TEST_F(SmbShareClientTest, ListsLastWriteTimes)
{
    auto entries = list(path(2, QStringLiteral("public\\dated")));
    const ShareDirEntry* old = find(entries, QStringLiteral("old.txt"));
    const ShareDirEntry* recent = find(entries, QStringLiteral("new.txt"));
    ASSERT_TRUE(old && recent);
    EXPECT_EQ(old->writeTime, QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6), Qt::UTC).toSecsSinceEpoch());
    EXPECT_EQ(recent->writeTime,
              QDateTime(QDate(2023, 11, 12), QTime(13, 14, 16), Qt::UTC).toSecsSinceEpoch());
}

TEST_F(SmbShareClientTest, HandlesFilesBeyondFourGigabytes)
{
    const int64_t fiveGiB = int64_t(5) << 30;
    const int64_t markerAt = (int64_t(4) << 30) + 12345;
    auto entries = list(path(2, QStringLiteral("public\\big")));
    const ShareDirEntry* entry = find(entries, QStringLiteral("sparse5g.bin"));
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->size, fiveGiB);

    PlatformError error;
    auto source = OpenFile(client, path(2, QStringLiteral("public\\big\\sparse5g.bin")), error);
    ASSERT_TRUE(source) << error.message.toStdString();
    EXPECT_EQ(source->size(), fiveGiB);
    char buffer[16] = {};
    ASSERT_EQ(source->read(markerAt - 2, buffer, 13), 13);
    EXPECT_EQ(QByteArray(buffer, 13), QByteArray("\0\0MARKER-4G\0\0", 13));
    EXPECT_EQ(source->read(fiveGiB - 4, buffer, 16), 4) << "a range over the end is cut at the end";
    EXPECT_EQ(source->read(fiveGiB, buffer, 16), 0);
}

TEST_F(SmbShareClientTest, ReadsRangesLongerThanOneReply)
{
    // Two megabytes and a bit of the sparse file need several agent replies.
    PlatformError error;
    auto source = OpenFile(client, path(2, QStringLiteral("public\\big\\sparse5g.bin")), error);
    ASSERT_TRUE(source);
    const int64_t start = (int64_t(4) << 30) + 12345 - (2 << 20);
    QByteArray data((2 << 20) + 9, 'x');
    ASSERT_EQ(source->read(start, data.data(), data.size()), data.size());
    EXPECT_EQ(data.right(9), QByteArray("MARKER-4G"));
    EXPECT_EQ(data.count('\0'), data.size() - 9);
    EXPECT_EQ(source->read(-1, data.data(), 1), -1);
}

TEST_F(SmbShareClientTest, ReadsPartsOfSmallFiles)
{
    PlatformError error;
    auto source = OpenFile(client, path(2, QStringLiteral("public\\readme.txt")), error);
    ASSERT_TRUE(source);
    EXPECT_EQ(source->size(), 6);
    char buffer[8] = {};
    ASSERT_EQ(source->read(2, buffer, 3), 3);
    EXPECT_EQ(QByteArray(buffer, 3), QByteArray("adm"));
    EXPECT_EQ(readAll(path(2, QStringLiteral("public\\docs\\sub\\notes.txt"))), QByteArray("notes"));
}

TEST_F(SmbShareClientTest, AwkwardNamesComeBackRawAndOpen)
{
    auto entries = list(path(2, QStringLiteral("public\\awkward")));
    QSet<QString> names;
    for (const ShareDirEntry& entry : entries)
        names.insert(entry.name);
    for (const char* name :
         {"blank name.txt", " leading blank.txt", "100%.txt", "%41%2F.txt", "hash#tag.txt", "semi;colon.txt",
          "at@sign.txt", "plus+sign.txt", "amp&sand.txt", "accent-é.txt", "Ünïcødé Ø.txt", "日本語.txt",
          "中文 文件.txt", "quote's.txt", "dollar$.txt", "~tilde.txt", "folder #1", "folder 50%"})
        EXPECT_TRUE(names.contains(QString::fromUtf8(name))) << name;
    // Names Windows cannot hold reach clients under mangled 8.3 names.
    EXPECT_FALSE(names.contains(QStringLiteral("question?.txt")));
    EXPECT_FALSE(names.contains(QStringLiteral("trailing.")));

    // Every file listed opens under its listed name and holds its real name.
    const QSet<QString> mangledOriginals{QStringLiteral("question?.txt"), QStringLiteral("trailing.")};
    int files = 0;
    for (const ShareDirEntry& entry : entries) {
        if (entry.attributes & kDirectory)
            continue;
        ++files;
        QString content =
            QString::fromUtf8(readAll(path(2, QStringLiteral("public\\awkward\\") + entry.name)));
        if (names.contains(content)) {
            EXPECT_EQ(content, entry.name);
        } else {
            EXPECT_TRUE(mangledOriginals.contains(content))
                << entry.name.toStdString() << " holds " << content.toStdString();
        }
    }
    EXPECT_EQ(files, 18);
    for (const char* folder : {"folder #1", "folder 50%"})
        EXPECT_NE(find(list(path(2, QStringLiteral("public\\awkward\\") + QString::fromUtf8(folder))),
                       QStringLiteral("inside.txt")),
                  nullptr)
            << folder;
}

TEST_F(SmbShareClientTest, SymbolicLinkAboveItselfIsListedAsAFolder)
{
    auto entries = list(path(2, QStringLiteral("public\\loop\\inner")));
    const ShareDirEntry* up = find(entries, QStringLiteral("up"));
    ASSERT_NE(up, nullptr);
    EXPECT_TRUE(up->attributes & kDirectory);
    // It leads back to the share root, so a walk that follows it meets itself.
    EXPECT_NE(find(list(path(2, QStringLiteral("public\\loop\\inner\\up"))), QStringLiteral("readme.txt")),
              nullptr);
}

TEST_F(SmbShareClientTest, UnreadableFolderGivesErrnoAndText)
{
    std::vector<ShareDirEntry> entries;
    PlatformError error = ListFolder(client, path(2, QStringLiteral("public\\locked")), entries);
    EXPECT_EQ(error.code, EACCES);
    EXPECT_EQ(error.message, QString::fromLocal8Bit(strerror(EACCES)));
    EXPECT_TRUE(entries.empty());

    error = ListFolder(client, path(2, QStringLiteral("alice")), entries);
    EXPECT_EQ(error.code, EACCES) << "a share for alice only, as guest";

    error = ListFolder(client, path(2, QStringLiteral("nosuchshare")), entries);
    EXPECT_EQ(error.code, ENOENT);
    error = ListFolder(client, path(2, QStringLiteral("public\\nosuchfolder")), entries);
    EXPECT_EQ(error.code, ENOENT);
    PlatformError openError;
    EXPECT_FALSE(OpenFile(client, path(2, QStringLiteral("public\\nosuchfile.txt")), openError));
    EXPECT_EQ(openError.code, ENOENT);
}

TEST_F(SmbShareClientTest, LogonWithTheRightPasswordOpensTheShare)
{
    QString share = path(2, QStringLiteral("alice"));
    PlatformError error = Connect(client, share, alice().name, alice().password);
    ASSERT_FALSE(error.failed()) << error.message.toStdString();
    EXPECT_NE(find(list(share), QStringLiteral("alice.txt")), nullptr);
    EXPECT_EQ(readAll(share + QStringLiteral("\\alice.txt")), QByteArray("alice"));
}

TEST_F(SmbShareClientTest, LogonWithAWrongPasswordFailsEvenWhereGuestsAreWelcome)
{
    PlatformError error =
        Connect(client, path(2, QStringLiteral("alice")), alice().name, QStringLiteral("wrong"));
    EXPECT_EQ(error.code, EACCES);
    EXPECT_FALSE(error.message.isEmpty());
    // public admits guests: a refused password must not quietly become a guest logon.
    error = Connect(client, path(2, QStringLiteral("public")), alice().name, QStringLiteral("wrong"));
    EXPECT_EQ(error.code, EACCES);
    // Nor does a user of another share get in.
    error = Connect(client, path(2, QStringLiteral("bob")), alice().name, alice().password);
    EXPECT_TRUE(error.failed());
    // A failed attempt leaves no credentials behind.
    std::vector<ShareDirEntry> entries;
    EXPECT_EQ(ListFolder(client, path(2, QStringLiteral("alice")), entries).code, EACCES);
}

TEST_F(SmbShareClientTest, AnonymousAttemptIsMadeWithAnEmptyUser)
{
    EXPECT_FALSE(Connect(client, path(2, QStringLiteral("public")), QString(), QString()).failed());
    EXPECT_TRUE(Connect(client, path(2, QStringLiteral("alice")), QString(), QString()).failed());
}

TEST_F(SmbShareClientTest, HostLogonServesEveryShareOfTheHost)
{
    // Host 4 admits nobody anonymously, not even to its share list.
    std::vector<ShareInfo> shares;
    EXPECT_TRUE(ListShares(client, hostUnc(4), shares).failed());
    PlatformError error = Connect(client, hostUnc(4), alice().name, alice().password);
    ASSERT_FALSE(error.failed()) << error.message.toStdString();
    ASSERT_FALSE(ListShares(client, hostUnc(4), shares).failed());
    bool found = false;
    for (const ShareInfo& share : shares)
        found = found || share.name == QStringLiteral("private");
    EXPECT_TRUE(found);
    EXPECT_NE(find(list(path(4, QStringLiteral("private"))), QStringLiteral("private.doc")), nullptr);
}

TEST_F(SmbShareClientTest, CancelledConnectionForgetsItsCredentials)
{
    QString share = path(2, QStringLiteral("alice"));
    ASSERT_FALSE(Connect(client, share, alice().name, alice().password).failed());
    client.cancelConnection(share);
    std::vector<ShareDirEntry> entries;
    EXPECT_EQ(ListFolder(client, share, entries).code, EACCES);
    // Another account can be tried afterwards.
    EXPECT_FALSE(Connect(client, path(2, QStringLiteral("bob")), bob().name, bob().password).failed());
    EXPECT_FALSE(ListFolder(client, path(2, QStringLiteral("bob")), entries).failed());
}

TEST_F(SmbShareClientTest, DomainPrefixedUserNamesLogOn)
{
    PlatformError error = Connect(client, path(5, QStringLiteral("team")),
                                  QStringLiteral("KESTROVA\\") + bob().name, bob().password);
    EXPECT_FALSE(error.failed()) << error.message.toStdString();
}

TEST_F(SmbShareClientTest, RejectsPathsThatAreNoUncPaths)
{
    std::vector<ShareDirEntry> entries;
    EXPECT_EQ(ListFolder(client, QStringLiteral("smb://127.0.0.2/public"), entries).code, EINVAL);
    EXPECT_EQ(ListFolder(client, hostUnc(2), entries).code, EINVAL) << "a host is no folder";
    std::vector<ShareInfo> shares;
    EXPECT_EQ(ListShares(client, QStringLiteral("127.0.0.2"), shares).code, EINVAL);
    PlatformError error;
    EXPECT_FALSE(OpenFile(client, path(2, QStringLiteral("public")), error));
    EXPECT_EQ(error.code, EINVAL);
}

TEST_F(SmbShareClientTest, HostPartIsNeverReadAsUserOrPort)
{
    // Unescaped, "user@host" would log on to host as user, and "host:port"
    // would pick a port: both must stay (unresolvable) host names.
    std::vector<ShareInfo> shares;
    EXPECT_TRUE(
        ListShares(client, QStringLiteral("\\\\") + alice().name + QLatin1Char('@') + address(2), shares)
            .failed());
    EXPECT_TRUE(shares.empty());
    EXPECT_TRUE(ListShares(client, hostUnc(2) + QStringLiteral(":445"), shares).failed());
    EXPECT_TRUE(shares.empty());
}

namespace {

QSet<QString> namesOf(const std::vector<ShareDirEntry>& entries)
{
    QSet<QString> names;
    for (const ShareDirEntry& entry : entries)
        names.insert(entry.name);
    return names;
}

SmbAgentOptions withHelpers(int count)
{
    SmbAgentOptions options;
    options.prefetchAgents = count;
    return options;
}

} // namespace

TEST_F(SmbShareClientTest, PrefetchedListingsEqualDirectOnesWhateverTheOrderAsked)
{
    const QString docs = path(2, QStringLiteral("public\\docs"));
    const QString awkward = path(2, QStringLiteral("public\\awkward"));
    const QString aliceShare = path(2, QStringLiteral("alice"));
    ASSERT_FALSE(Connect(client, aliceShare, alice().name, alice().password).failed());
    QSet<QString> docsNames = namesOf(list(docs)), awkwardNames = namesOf(list(awkward)),
                  aliceNames = namesOf(list(aliceShare));

    SmbShareClient prefetching(withHelpers(2));
    ASSERT_TRUE(prefetching.connect(aliceShare, alice().name, alice().password));
    prefetching.prefetchFolder(docs);
    prefetching.prefetchFolder(aliceShare); // needs the logon replayed on its helper
    prefetching.prefetchFolder(awkward);    // waits for a free helper, or is listed directly
    std::vector<ShareDirEntry> entries;
    ASSERT_FALSE(ListFolder(prefetching, aliceShare, entries).failed());
    EXPECT_EQ(namesOf(entries), aliceNames);
    ASSERT_FALSE(ListFolder(prefetching, awkward, entries).failed());
    EXPECT_EQ(namesOf(entries), awkwardNames);
    ASSERT_FALSE(ListFolder(prefetching, docs, entries).failed());
    EXPECT_EQ(namesOf(entries), docsNames);
    const int prefetched = prefetching.prefetchedListings();
    EXPECT_GE(prefetched, 2);
    EXPECT_LE(prefetched, 3);
    // A helper that delivered is free again.
    prefetching.prefetchFolder(awkward);
    ASSERT_FALSE(ListFolder(prefetching, awkward, entries).failed());
    EXPECT_EQ(namesOf(entries), awkwardNames);
    EXPECT_EQ(prefetching.prefetchedListings(), prefetched + 1);
}

TEST_F(SmbShareClientTest, FailedPrefetchIsListedAgainWithTheCurrentLogon)
{
    SmbShareClient prefetching(withHelpers(1));
    const QString aliceShare = path(2, QStringLiteral("alice"));
    std::vector<ShareInfo> shares;
    ASSERT_FALSE(ListShares(prefetching, hostUnc(2), shares).failed());
    prefetching.prefetchFolder(aliceShare); // as guest: refused
    ASSERT_TRUE(prefetching.connect(aliceShare, alice().name, alice().password));
    std::vector<ShareDirEntry> entries;
    PlatformError error = ListFolder(prefetching, aliceShare, entries);
    ASSERT_FALSE(error.failed()) << error.message.toStdString();
    EXPECT_TRUE(namesOf(entries).contains(QStringLiteral("alice.txt")));
    EXPECT_EQ(prefetching.prefetchedListings(), 0);

    // And a folder that really cannot be listed keeps its error.
    prefetching.prefetchFolder(path(2, QStringLiteral("public\\locked")));
    EXPECT_EQ(ListFolder(prefetching, path(2, QStringLiteral("public\\locked")), entries).code, EACCES);
}

TEST_F(SmbShareClientTest, PrefetchWithoutHelpersChangesNothing)
{
    const QString docs = path(2, QStringLiteral("public\\docs"));
    client.prefetchFolder(docs);
    EXPECT_TRUE(namesOf(list(docs)).contains(QStringLiteral("report.doc")));
    EXPECT_EQ(client.prefetchedListings(), 0);
}
