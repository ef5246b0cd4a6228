#include "store/SettingsFile.h"

#include "accounts/AccountList.h"
#include "accounts/AccountStorage.h"
#include "files/IniFile.h"
#include "model/DateTime.h"
#include "store/Settings.h"
#include "store/WindowGeometry.h"
#include "support/LegacyAccountRecord.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <cmath>
#include <gtest/gtest.h>
#include <memory>

namespace {

class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override { ResetSettings(); }
    void TearDown() override { ResetSettings(); }
    void ResetSettings() { program = std::make_unique<TProgramSettings>(); }

    std::unique_ptr<TProgramSettings> program;
    TempDir dir;
    THeadlessWindowGeometry window{QSize(1600, 900), TWindowBounds{10, 10, 640, 480}};
};

TEST_F(SettingsFileTest, BesideTheProgramWhenItsFolderIsWritable)
{
    EXPECT_EQ(SettingsFilePath(dir.file("kestrova")), dir.file("kestrova.ini"));
    EXPECT_EQ(SettingsFilePath(dir.file("kestrova.bin")), dir.file("kestrova.ini"));
}

TEST_F(SettingsFileTest, UserConfigFolderOtherwise)
{
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    const QString readOnlyProgram = dir.file("missing-folder/kestrova"); // a folder that is not there
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.file("config")));
    EXPECT_EQ(SettingsFilePath(readOnlyProgram), dir.file("config/kestrova/kestrova.ini"));
    qputenv("XDG_CONFIG_HOME", "relative/path"); // not absolute: ignored
    EXPECT_EQ(SettingsFilePath(readOnlyProgram), QDir::homePath() + "/.config/kestrova/kestrova.ini");
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(SettingsFilePath(readOnlyProgram), QDir::homePath() + "/.config/kestrova/kestrova.ini");
    if (!saved.isNull())
        qputenv("XDG_CONFIG_HOME", saved);
}

TEST_F(SettingsFileTest, AnInstalledCopyUsesTheUserConfigFolderEvenWhereItsFolderIsWritable)
{
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.file("config")));
    // usr/bin/kestrova with its agent in usr/libexec/kestrova, all writable (root's view).
    ASSERT_TRUE(QDir().mkpath(dir.file("usr/bin")));
    ASSERT_TRUE(QDir().mkpath(dir.file("usr/libexec/kestrova")));
    dir.write("usr/libexec/kestrova/kestrova-smb-agent", "agent");
    EXPECT_EQ(SettingsFilePath(dir.file("usr/bin/kestrova")), dir.file("config/kestrova/kestrova.ini"));
    // An agent beside the program makes it a portable copy again.
    dir.write("usr/bin/kestrova-smb-agent", "agent");
    EXPECT_EQ(SettingsFilePath(dir.file("usr/bin/kestrova")), dir.file("usr/bin/kestrova.ini"));
    if (saved.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", saved);
}

TEST_F(SettingsFileTest, TheVersionFileAddressIsEmptyByDefaultAndKeptTrimmed)
{
    const QString path = dir.write("kestrova.ini", "[AutoUpdate]\nQueryForAutoCheck=0\n");
    LoadSettings(path, window, *program);
    EXPECT_TRUE(program->AutoUpdate.VersionFileAddress.isEmpty());

    dir.write("kestrova.ini", "[AutoUpdate]\nVersionFileAddress= http://127.0.0.1/v.txt \n");
    LoadSettings(path, window, *program);
    EXPECT_EQ(program->AutoUpdate.VersionFileAddress, "http://127.0.0.1/v.txt");
    SaveSettings(path, window, *program);
    EXPECT_EQ(TIniFile(path).ReadString("AutoUpdate", "VersionFileAddress", {}), "http://127.0.0.1/v.txt");
}

TEST_F(SettingsFileTest, SaveCreatesFolderAndFileAndLoadRestores)
{
    const QString path = dir.file("config/kestrova/kestrova.ini");
    program->Settings.MaxThreads = 33;
    program->Settings.History = {"*.pdf"};
    program->Accounts.Add({"PC1", "u", "p"});
    program->AutoUpdate = {false, true, 45000, {}};
    SaveSettings(path, window, *program);
    EXPECT_EQ(QFile(path).permissions() & (QFile::ReadOther | QFile::ReadGroup), QFile::Permissions());

    ResetSettings();
    LoadSettings(path, window, *program);
    EXPECT_EQ(program->Settings.MaxThreads, 33);
    EXPECT_EQ(program->Settings.History, QStringList({"*.pdf"}));
    EXPECT_EQ(program->Accounts.Snapshot(), QList<TUnicodeAccount>({{"PC1", "u", "p"}}));
    EXPECT_EQ(program->AutoUpdate, TAutoUpdateSettings({false, true, 45000, {}}));
}

TEST_F(SettingsFileTest, AutoUpdateDefaultsAndTheDayNumberOfToday)
{
    LoadSettings(dir.file("none.ini"), window, *program);
    EXPECT_TRUE(program->AutoUpdate.QueryForAutoCheck);
    EXPECT_FALSE(program->AutoUpdate.AutoCheckEnabled);
    EXPECT_EQ(program->AutoUpdate.LastAutoCheckDate, static_cast<int32_t>(std::floor(NowDateTime())));
}

TEST_F(SettingsFileTest, ProfilesNeverHoldTheUpdateSection)
{
    const QString profile = dir.file("profile.ini");
    program->AutoUpdate = {false, true, 40000, {}};
    SaveProfile(profile, window, *program);
    EXPECT_FALSE(TIniFile(profile).SectionExists("AutoUpdate"));

    const QString withSection =
        dir.write("other.ini", "[AutoUpdate]\nAutoCheckEnabled=0\nLastAutoCheckDate=1\n");
    LoadProfile(withSection, window, *program);
    EXPECT_EQ(program->AutoUpdate, TAutoUpdateSettings({false, true, 40000, {}}));
}

TEST_F(SettingsFileTest, LegacyAccountsAreStoredBeforeTheirFileIsDeleted)
{
    const QString settingsPath = dir.write("kestrova.ini", "[Misc]\nMaxThreads=4\n");
    const QString legacyPath = dir.write("kestrova.dat", LegacyAccountRecord("PC9", "old", "pw"));
    program->Accounts.Add({"PC1", "u", "p"});
    EXPECT_EQ(ImportLegacyAccounts(settingsPath, *program), 1);
    EXPECT_FALSE(QFile::exists(legacyPath));

    const TIniFile stored(settingsPath);
    EXPECT_EQ(stored.ReadInteger("Misc", "MaxThreads", 0), 4); // the rest of the file is untouched
    TAccountList reread;
    LoadAccounts(stored, reread);
    EXPECT_EQ(reread.Snapshot(), QList<TUnicodeAccount>({{"PC1", "u", "p"}, {"PC9", "old", "pw"}}));
}

TEST_F(SettingsFileTest, AResultsFileUnderTheLegacyNameIsKept)
{
    const QString settingsPath = dir.file("kestrova.ini");
    QByteArray compound("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    compound.append(192 * 4 - compound.size(), '\0');
    const QString legacyPath = dir.write("kestrova.dat", compound);
    EXPECT_EQ(ImportLegacyAccounts(settingsPath, *program), 0);
    EXPECT_TRUE(QFile::exists(legacyPath));
    EXPECT_FALSE(QFile::exists(settingsPath));
    EXPECT_EQ(program->Accounts.Count(), 0);
}

} // namespace
