#include "platform/ProgramPath.h"

#include "support/TempDir.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

TEST(ProgramPathTest, ReplacesOnlyTheExtensionOfTheLastComponent)
{
    EXPECT_EQ(ReplaceFileExtension("/opt/kestrova/kestrova", ".ini"), "/opt/kestrova/kestrova.ini");
    EXPECT_EQ(ReplaceFileExtension("/opt/kestrova/kestrova.exe", ".ini"), "/opt/kestrova/kestrova.ini");
    EXPECT_EQ(ReplaceFileExtension("/opt/k.d/kestrova", ".dat"), "/opt/k.d/kestrova.dat");
    EXPECT_EQ(ReplaceFileExtension("/home/a/.kestrova", ".ini"), "/home/a/.kestrova.ini");
    EXPECT_EQ(ReplaceFileExtension("a.b.c", ".ini"), "a.b.ini");
}

TEST(ProgramPathTest, FindsTheRunningTestBinary)
{
    const QString program = ProgramFilePath();
    EXPECT_EQ(QFileInfo(program).fileName(), "ProgramPathTest");
    EXPECT_EQ(ProgramFolder(), QFileInfo(program).absolutePath());
}

TEST(ProgramPathTest, AnInstalledCopyHasItsAgentInLibexecAndNoneBesideIt)
{
    TempDir dir;
    ASSERT_TRUE(QDir().mkpath(dir.file("prefix/bin")));
    ASSERT_TRUE(QDir().mkpath(dir.file("prefix/libexec/kestrova")));
    const QString program = dir.file("prefix/bin/kestrova");
    EXPECT_FALSE(IsInstalledCopy(program)); // no agent anywhere
    dir.write("prefix/libexec/kestrova/kestrova-smb-agent", "agent");
    EXPECT_TRUE(IsInstalledCopy(program));
    EXPECT_FALSE(IsInstalledCopy(QString()));
    dir.write("prefix/bin/kestrova-smb-agent", "agent");
    EXPECT_FALSE(IsInstalledCopy(program)); // the build tree's layout
}

TEST(ProgramPathTest, TheTestBinaryIsNoInstalledCopyAndItsAgentIsBesideIt)
{
    EXPECT_FALSE(IsInstalledCopy(ProgramFilePath()));
    EXPECT_EQ(SmbAgentPath(), ProgramFolder() + "/kestrova-smb-agent");
}

} // namespace
