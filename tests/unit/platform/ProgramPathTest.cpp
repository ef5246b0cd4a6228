#include "platform/ProgramPath.h"

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

} // namespace
