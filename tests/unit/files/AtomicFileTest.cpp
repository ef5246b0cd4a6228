#include "files/AtomicFile.h"

#include "files/IniFile.h"
#include "model/Error.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <stdexcept>
#include <sys/stat.h>

namespace {

QByteArray ReadBytes(const QString& path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

mode_t PermissionBits(const QString& path)
{
    struct stat info {};
    EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0);
    return info.st_mode & 07777;
}

QStringList FolderEntries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

TEST(AtomicFileTest, NewAndReplacedFilesAreOwnerOnly)
{
    TempDir dir;
    const QString fresh = dir.file("fresh.ini");
    WriteFileAtomically(fresh, "a");
    EXPECT_EQ(PermissionBits(fresh), 0600u);

    const QString open = dir.write("open.ini", "old");
    ASSERT_EQ(::chmod(QFile::encodeName(open).constData(), 0644), 0);
    WriteFileAtomically(open, "new");
    EXPECT_EQ(ReadBytes(open), "new");
    EXPECT_EQ(PermissionBits(open), 0600u);
    EXPECT_EQ(FolderEntries(dir.path()), QStringList({"fresh.ini", "open.ini"})); // no temporary left
}

TEST(AtomicFileTest, AWriteInterruptedBeforeTheRenameLeavesTheOldFile)
{
    TempDir dir;
    const QString path = dir.write("settings.ini", "[Misc]\r\nMaxThreads=4\r\n");
    TIniFile ini(path);
    ini.WriteInteger("Misc", "MaxThreads", 9);
    QString seenTemp;
    ini.SetBeforeReplaceHook([&](const QString& tempPath) {
        seenTemp = tempPath;
        // The new contents are complete on disk at this point, beside the target.
        EXPECT_EQ(QFileInfo(tempPath).absolutePath(), dir.path());
        EXPECT_EQ(ReadBytes(tempPath), "[Misc]\r\nMaxThreads=9\r\n");
        throw std::runtime_error("power cut");
    });
    EXPECT_THROW(ini.UpdateFile(), std::runtime_error);

    EXPECT_FALSE(seenTemp.isEmpty());
    EXPECT_FALSE(QFile::exists(seenTemp));
    EXPECT_EQ(ReadBytes(path), "[Misc]\r\nMaxThreads=4\r\n");
    EXPECT_EQ(FolderEntries(dir.path()), QStringList({"settings.ini"}));

    ini.SetBeforeReplaceHook({});
    ini.UpdateFile();
    EXPECT_EQ(TIniFile(path).ReadInteger("Misc", "MaxThreads", 0), 9);
}

TEST(AtomicFileTest, ASymbolicLinkStaysALinkToTheNewContents)
{
    TempDir dir;
    const QString target = dir.write("real.ini", "old");
    const QString link = dir.file("link.ini");
    ASSERT_TRUE(QFile::link(target, link));
    WriteFileAtomically(link, "new");
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(ReadBytes(target), "new");
}

TEST(AtomicFileTest, FailuresAreReportedWithTheirCause)
{
    TempDir dir;
    try {
        WriteFileAtomically(dir.file("no/such/folder/x.ini"), "a");
        FAIL() << "no error";
    } catch (const EKestrovaError& error) {
        EXPECT_EQ(error.code(), ENOENT);
        EXPECT_TRUE(error.message().contains("no/such/folder")) << error.message().toStdString();
    }
    EXPECT_THROW(WriteFileAtomically(dir.path(), "a"), EKestrovaError); // a folder is no file
    EXPECT_TRUE(FolderEntries(dir.path()).isEmpty());
}

} // namespace
