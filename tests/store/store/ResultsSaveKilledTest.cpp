#include "store/ResultsFile.h"
#include "support/IconSamples.h"
#include "support/TempDir.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

// A process killed outright (SIGKILL: no handler, no destructor) while it saves a
// large result list must leave the file it was replacing as it was.
namespace {

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TItemList ManyRecords(int count)
{
    TItemList list;
    list.reserve(count);
    for (int i = 0; i < count; ++i)
        list.append(MakeItemRecord(
            QStringLiteral("\\\\PC%1\\share\\folder %2\\file %3.txt").arg(i % 200).arg(i % 997).arg(i), 0x20,
            i % 4 - 1, 45000.0 + i / 86400.0, i));
    return list;
}

// Size of the largest file in folder other than the one named keep (the save's
// temporary file), 0 while there is none.
qint64 TemporaryFileSize(const QString& folder, const QString& keep)
{
    qint64 largest = 0;
    for (const QFileInfo& info : QDir(folder).entryInfoList(QDir::Files | QDir::Hidden))
        if (info.fileName() != keep)
            largest = std::max(largest, info.size());
    return largest;
}

TEST(ResultsSaveKilledTest, KillDuringASaveOfAMillionRecordsLeavesTheOldFileIntact)
{
    TempDir dir;
    const QString path = dir.file("results.dat");
    const TItemList old = {MakeItemRecord("\\\\PC\\s\\old one.txt", 0x20, 0, 45000.5, 10),
                           MakeItemRecord("\\\\PC\\s\\old two", 0x10, -1, 45001.25, 0)};
    SaveResultsToFile(path, old, SampleIcons(2));
    const QByteArray oldBytes = ReadFile(path);
    ASSERT_FALSE(oldBytes.isEmpty());

    const pid_t child = ::fork();
    ASSERT_GE(child, 0) << "fork failed";
    if (child == 0) {
        const TItemList many = ManyRecords(1'000'000);
        try {
            SaveResultsToFile(path, many, SampleIcons(4));
        } catch (...) {
            ::_exit(2);
        }
        ::_exit(0);
    }
    // Kill once the new version is well under way (several MiB written).
    QElapsedTimer timer;
    timer.start();
    while (TemporaryFileSize(dir.path(), "results.dat") < 4 * 1024 * 1024 && timer.elapsed() < 60000)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const qint64 writtenWhenKilled = TemporaryFileSize(dir.path(), "results.dat");
    ASSERT_EQ(::kill(child, SIGKILL), 0);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
        << "the save ended before the kill (status " << status << ")";
    EXPECT_GE(writtenWhenKilled, 4 * 1024 * 1024);

    EXPECT_EQ(ReadFile(path), oldBytes);
    TItemList loaded;
    TIconList icons;
    LoadResultsFromFile(path, loaded, icons);
    ASSERT_EQ(loaded.size(), old.size());
    for (qsizetype i = 0; i < old.size(); ++i) {
        EXPECT_EQ(loaded[i].FileName, old[i].FileName);
        EXPECT_EQ(loaded[i].Size, old[i].Size);
        EXPECT_EQ(loaded[i].Attrs, old[i].Attrs);
    }
    EXPECT_EQ(icons.size(), 2);
}

} // namespace
