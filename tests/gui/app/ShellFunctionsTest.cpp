#include "app/ShellFunctions.h"

#include "app/ManualWindow.h"
#include "model/Error.h"
#include "support/GuiTestApplication.h"
#include "support/QStringPrinter.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QTextBrowser>
#include <gtest/gtest.h>

namespace {

class ShellFunctionsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureGuiApplication();
        SetShellUrlOpener([this](const QUrl& url) {
            opened.append(url);
            return openerAnswer;
        });
    }
    void TearDown() override { SetShellUrlOpener({}); }

    TRecordingPrompts prompts;
    QList<QUrl> opened;
    bool openerAnswer = true;
};

TEST_F(ShellFunctionsTest, UncPathsOpenAsSmbAddressesWithAwkwardCharactersEncoded)
{
    EXPECT_EQ(ShellUrlFor("\\\\PC1\\share\\dir\\a b#1%.txt").toString(QUrl::FullyEncoded),
              "smb://pc1/share/dir/a%20b%231%25.txt");
    EXPECT_EQ(ShellUrlFor("\\\\PC1\\share\\dir\\a b#1%.txt").path(), "/share/dir/a b#1%.txt");
    EXPECT_EQ(ShellUrlFor("\\\\10.0.0.7\\docs").toString(), "smb://10.0.0.7/docs");
    EXPECT_EQ(ShellUrlFor("\\\\PC1").toString(), "smb://pc1");
    EXPECT_EQ(ShellUrlFor("ftp://10.0.0.5/pub/readme.txt").toString(), "ftp://10.0.0.5/pub/readme.txt");
    EXPECT_TRUE(ShellUrlFor("/tmp/x.txt").isLocalFile());
}

TEST_F(ShellFunctionsTest, OpeningAMissingLocalFileOrFolderShowsTheMessagesOfTheTable)
{
    TempDir dir;
    ShellOpen(dir.file("missing.txt"));
    ShellOpen(dir.file("no-such-folder/missing.txt"));
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_EQ(prompts.errors,
              QStringList({"The specified file was not found.", "The specified path was not found."}));
}

TEST_F(ShellFunctionsTest, AnAddressNoApplicationTakesIsReported)
{
    openerAnswer = false;
    ShellOpen("\\\\PC1\\share\\a.txt");
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0].scheme(), "smb");
    EXPECT_EQ(prompts.errors, QStringList({"No program is associated to open this file."}));

    openerAnswer = true;
    TempDir dir;
    ShellOpen(dir.write("here.txt", "x"));
    EXPECT_EQ(opened.size(), 2);
    EXPECT_EQ(prompts.errors.size(), 1);
}

TEST_F(ShellFunctionsTest, ErrorTextsOfTheTableAndUnknownCodes)
{
    EXPECT_EQ(ShellOpenErrorText(0), "The operating system is out of resources.");
    EXPECT_EQ(ShellOpenErrorText(31), "No program is associated to open this file.");
    EXPECT_EQ(ShellOpenErrorText(4), "Unknown error (4)");
    EXPECT_EQ(ShellOpenErrorText(32), "The specified dynamic-link library was not found.");
}

TEST_F(ShellFunctionsTest, TheManualIsTheShippedFileNotAWebPage)
{
    TempDir dir;
    const QString manual = dir.write("index.html", "<h1>Offline manual</h1>");
    qputenv("KESTROVA_MANUAL", QFile::encodeName(manual));
    OpenManual();
    qunsetenv("KESTROVA_MANUAL");
    EXPECT_TRUE(opened.isEmpty());
    TManualWindow* window = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets())
        window = window ? window : qobject_cast<TManualWindow*>(widget);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->manualFile(), manual);
    EXPECT_EQ(window->browser()->toPlainText(), "Offline manual");
    window->close();
}

TEST_F(ShellFunctionsTest, ShortcutsAreExecutableDesktopLinksReplacingOlderOnes)
{
    TempDir dir;
    const QString link = dir.file("report.final.desktop");
    dir.write("report.final.desktop", "old");
    CreateShortcut("\\\\PC1\\share\\a b\\report.final.txt", "", "\\\\PC1\\share\\a b\\", link);
    QFile file(link);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(text.startsWith("[Desktop Entry]\n"));
    EXPECT_TRUE(text.contains("\nType=Link\n"));
    EXPECT_TRUE(text.contains("\nName=report.final.txt\n"));
    EXPECT_TRUE(text.contains("\nURL=smb://pc1/share/a%20b/report.final.txt\n"));
    EXPECT_FALSE(text.contains("Path="));
    EXPECT_TRUE(QFileInfo(link).permissions() & QFileDevice::ExeOwner);
}

TEST_F(ShellFunctionsTest, AShortcutThatCannotBeWrittenRaises)
{
    EXPECT_THROW(CreateShortcut("/tmp/a.txt", "", "/tmp", "/nonexistent-folder/a.desktop"), EKestrovaError);
}

} // namespace
