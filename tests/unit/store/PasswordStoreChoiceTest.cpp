#include "accounts/AccountList.h"
#include "accounts/AccountStorage.h"
#include "accounts/PasswordKeeper.h"
#include "files/IniFile.h"
#include "store/SettingsFile.h"
#include "store/WindowGeometry.h"
#include "support/LegacyAccountRecord.h"
#include "support/MemoryPasswordVault.h"
#include "support/QStringPrinter.h"
#include "support/TempDir.h"

#include <QFile>
#include <gtest/gtest.h>
#include <memory>

namespace {

// The settings file's choice of store, on a program's keeper with a vault in
// memory and XDG_CONFIG_HOME pointing into a temporary folder.
class PasswordStoreChoiceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_savedConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
        program->Passwords.SetVault(&vault);
        program->Accounts.Clear();
    }
    void TearDown() override
    {
        program->Passwords.SetVault(nullptr);
        program->Passwords.SetStore(TPasswordStore::SettingsFile);
        program->Accounts.Clear();
        if (m_savedConfig.isNull())
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME", m_savedConfig);
    }

    TPasswordStore choiceFor(const QString& path)
    {
        const TIniFile ini(path);
        PreparePasswordKeeper(ini, path, program->Passwords);
        return program->Passwords.Store();
    }

    TempDir config;
    TempDir portable;
    MemoryPasswordVault vault;
    std::unique_ptr<TProgramSettings> program = std::make_unique<TProgramSettings>();

private:
    QByteArray m_savedConfig;
};

TEST_F(PasswordStoreChoiceTest, TheKeyringForAFileInTheConfigFolderWhenItAnswers)
{
    const QString installed = config.file("kestrova/kestrova.ini");
    EXPECT_TRUE(InUserConfigFolder(installed));
    EXPECT_EQ(choiceFor(installed), TPasswordStore::SecretService);
    vault.answers = false;
    program->Passwords.SetVault(&vault); // forgets the earlier answer
    EXPECT_EQ(choiceFor(installed), TPasswordStore::SettingsFile);
}

TEST_F(PasswordStoreChoiceTest, ThePortableCopyKeepsItsPasswordsInItsFileWithoutAskingTheKeyring)
{
    const QString besideProgram = portable.file("kestrova.ini");
    EXPECT_FALSE(InUserConfigFolder(besideProgram));
    EXPECT_EQ(choiceFor(besideProgram), TPasswordStore::SettingsFile);
    EXPECT_EQ(vault.probes, 0);
}

TEST_F(PasswordStoreChoiceTest, TheRecordedChoiceWins)
{
    const QString installed = config.write("kestrova.ini", "[Accounts]\nPasswordStore=SettingsFile\n");
    EXPECT_EQ(choiceFor(installed), TPasswordStore::SettingsFile);
    const QString besideProgram =
        portable.write("kestrova.ini", "[Accounts]\nPasswordStore=SecretService\nPasswordStoreId=abc\n");
    EXPECT_EQ(choiceFor(besideProgram), TPasswordStore::SecretService);
    EXPECT_EQ(program->Passwords.StoreId(), "abc");
}

TEST_F(PasswordStoreChoiceTest, AnOldFileInTheConfigFolderMovesItsPasswordsAtTheFirstSave)
{
    const QString path =
        config.write("kestrova.ini", "[Accounts]\nCount=1\nComputer-0=PC1\nUsername-0=u\nPassword-0=cA==\n");
    THeadlessWindowGeometry window{QSize(1600, 900), TWindowBounds{10, 10, 640, 480}};
    LoadSettings(path, window, *program);
    EXPECT_EQ(program->Accounts.Snapshot(), QList<TUnicodeAccount>({{"PC1", "u", "p"}}));
    SaveSettings(path, window, *program);
    const TIniFile saved(path);
    EXPECT_EQ(saved.ReadString("Accounts", "Password-0", "<none>"), "");
    const QString key = saved.ReadString("Accounts", "PasswordKey-0", {});
    EXPECT_EQ(vault.entries.value(key), "p");

    program->Accounts.Clear();
    LoadSettings(path, window, *program);
    EXPECT_EQ(program->Accounts.Snapshot(), QList<TUnicodeAccount>({{"PC1", "u", "p"}}));
}

TEST_F(PasswordStoreChoiceTest, LegacyAccountsGoIntoTheKeyringBeforeTheirFileIsDeleted)
{
    const QString settingsPath = config.write("kestrova.ini", "[Misc]\nMaxThreads=4\n");
    const QString legacyPath = config.write("kestrova.dat", LegacyAccountRecord("PC9", "old", "pw") +
                                                                LegacyAccountRecord("PC8", "older", ""));
    (void)choiceFor(settingsPath);
    EXPECT_EQ(ImportLegacyAccounts(settingsPath, *program), 2);
    EXPECT_FALSE(QFile::exists(legacyPath));
    EXPECT_EQ(vault.entries.size(), 2);

    TPasswordKeeper reader(&vault);
    TAccountList reread;
    LoadAccounts(TIniFile(settingsPath), reread, &reader);
    EXPECT_EQ(reread.Snapshot(), QList<TUnicodeAccount>({{"PC9", "old", "pw"}, {"PC8", "older", ""}}));
}

} // namespace
