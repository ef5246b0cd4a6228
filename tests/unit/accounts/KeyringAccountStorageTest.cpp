#include "accounts/AccountList.h"
#include "accounts/AccountStorage.h"
#include "accounts/PasswordKeeper.h"
#include "files/IniFile.h"
#include "support/MemoryPasswordVault.h"
#include "support/QStringPrinter.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {

const QString kSection = QStringLiteral("Accounts");

// A settings file whose passwords go to an in-memory vault.
class KeyringAccountStorageTest : public ::testing::Test {
protected:
    KeyringAccountStorageTest() : keeper(&vault)
    {
        keeper.SetStore(TPasswordStore::SecretService);
        keeper.SetStoreId(QStringLiteral("id1"));
        accounts.Add({"\\\\PC1", "anna", "abc"});
        accounts.Add({"\\\\SRV\\share", "dom\\bob", "pa ss"});
    }

    QString value(const char* key) const
    {
        return ini.ReadString(kSection, QString::fromLatin1(key), "<none>");
    }

    QList<TUnicodeAccount> load(TPasswordKeeper* with)
    {
        TAccountList loaded;
        LoadAccounts(ini, loaded, with);
        return loaded.Stored();
    }

    TempDir dir;
    TIniFile ini{dir.file("kestrova.ini")};
    MemoryPasswordVault vault;
    TPasswordKeeper keeper;
    TAccountList accounts;
};

TEST_F(KeyringAccountStorageTest, PasswordsGoToTheVaultAndOnlyTheirKeysToTheFile)
{
    EXPECT_TRUE(SaveAccounts(ini, accounts, &keeper).isEmpty());
    EXPECT_EQ(value("PasswordStore"), "SecretService");
    EXPECT_EQ(value("PasswordStoreId"), "id1");
    EXPECT_EQ(value("Password-0"), "");
    EXPECT_EQ(value("Password-1"), "");
    EXPECT_EQ(value("PasswordKey-0"), "id1/\\\\PC1/anna");
    EXPECT_EQ(value("PasswordKey-1"), "id1/\\\\SRV\\share/dom\\bob");
    EXPECT_EQ(vault.entries.value("id1/\\\\PC1/anna"), "abc");
    EXPECT_EQ(vault.entries.value("id1/\\\\SRV\\share/dom\\bob"), "pa ss");
    EXPECT_FALSE(ini.ToBytes().contains("YWJj")); // no Base64 copy of "abc" is left

    TPasswordKeeper reader(&vault);
    EXPECT_EQ(load(&reader), accounts.Stored());
    EXPECT_TRUE(reader.Problems().isEmpty());
}

TEST_F(KeyringAccountStorageTest, AnUnchangedPasswordIsNotWrittenAgain)
{
    (void)SaveAccounts(ini, accounts, &keeper);
    EXPECT_EQ(vault.writes, 2);
    (void)SaveAccounts(ini, accounts, &keeper);
    EXPECT_EQ(vault.writes, 2);
    accounts.Set(0, {"\\\\PC1", "anna", "new"});
    (void)SaveAccounts(ini, accounts, &keeper);
    EXPECT_EQ(vault.writes, 3);
    EXPECT_EQ(vault.entries.value("id1/\\\\PC1/anna"), "new");
}

TEST_F(KeyringAccountStorageTest, AMissingEntryIsReportedPerAccountAndKeptForLater)
{
    (void)SaveAccounts(ini, accounts, &keeper);
    const QMap<QString, QString> saved = vault.entries;
    vault.entries.remove("id1/\\\\PC1/anna");

    TPasswordKeeper reader(&vault);
    TAccountList loaded;
    LoadAccounts(ini, loaded, &reader);
    ASSERT_EQ(loaded.Count(), 2);
    EXPECT_EQ(loaded.Get(0).Password, "");
    EXPECT_EQ(loaded.Get(0).MissingPasswordKey, "id1/\\\\PC1/anna");
    ASSERT_EQ(reader.Problems().size(), 1);
    EXPECT_TRUE(reader.Problems().at(0).contains("anna")) << reader.Problems().at(0).toStdString();
    EXPECT_TRUE(reader.Problems().at(0).contains("\\\\PC1")) << reader.Problems().at(0).toStdString();
    // Logons never see it: no logon with an empty password.
    const QList<TUnicodeAccount> logon = loaded.Snapshot();
    ASSERT_EQ(logon.size(), 1);
    EXPECT_EQ(logon.at(0).UserName, "dom\\bob");

    // Saved again (even into the settings file), the account keeps its key, so the
    // password comes back once the keyring has the entry again.
    reader.SetStore(TPasswordStore::SettingsFile);
    // bob's password moves into the file, so his entry is to go
    EXPECT_EQ(SaveAccounts(ini, loaded, &reader), QStringList({"id1/\\\\SRV\\share/dom\\bob"}));
    EXPECT_EQ(value("PasswordKey-0"), "id1/\\\\PC1/anna");
    EXPECT_EQ(value("Password-0"), "");
    vault.entries = saved;
    TPasswordKeeper later(&vault);
    EXPECT_EQ(load(&later), accounts.Stored());
}

TEST_F(KeyringAccountStorageTest, WithoutAKeyringEveryKeptPasswordIsMissing)
{
    (void)SaveAccounts(ini, accounts, &keeper);
    vault.answers = false;
    TPasswordKeeper server(&vault);
    const QList<TUnicodeAccount> loaded = load(&server);
    ASSERT_EQ(loaded.size(), 2);
    EXPECT_TRUE(loaded.at(0).passwordMissing());
    EXPECT_TRUE(loaded.at(1).passwordMissing());
    EXPECT_EQ(server.Problems().size(), 2);
    // No keeper at all (a profile read without one) behaves the same.
    const QList<TUnicodeAccount> bare = load(nullptr);
    EXPECT_TRUE(bare.at(0).passwordMissing());
    EXPECT_EQ(bare.at(0).Password, "");
}

TEST_F(KeyringAccountStorageTest, MovingToTheSettingsFileAndBackLosesNothing)
{
    (void)SaveAccounts(ini, accounts, &keeper);
    keeper.SetStore(TPasswordStore::SettingsFile);
    const QStringList gone = SaveAccounts(ini, accounts, &keeper);
    EXPECT_EQ(gone, QStringList({"id1/\\\\PC1/anna", "id1/\\\\SRV\\share/dom\\bob"}));
    EXPECT_EQ(value("PasswordStore"), "SettingsFile");
    EXPECT_EQ(value("Password-0"), "YWJj");
    EXPECT_EQ(value("PasswordKey-0"), "");
    keeper.Remove(gone);
    EXPECT_TRUE(vault.entries.isEmpty());
    EXPECT_EQ(load(nullptr), accounts.Stored());

    keeper.SetStore(TPasswordStore::SecretService);
    EXPECT_TRUE(SaveAccounts(ini, accounts, &keeper).isEmpty());
    EXPECT_EQ(vault.entries.size(), 2);
    EXPECT_EQ(value("Password-0"), "");
    TPasswordKeeper reader(&vault);
    EXPECT_EQ(load(&reader), accounts.Stored());
}

TEST_F(KeyringAccountStorageTest, ARefusedWriteKeepsThatPasswordInTheFile)
{
    vault.refuseWrites = true;
    EXPECT_TRUE(SaveAccounts(ini, accounts, &keeper).isEmpty());
    EXPECT_EQ(value("Password-0"), "YWJj");
    EXPECT_EQ(value("PasswordKey-0"), "<none>");
    EXPECT_EQ(value("PasswordStore"), "SecretService"); // the choice stays for later
    EXPECT_EQ(load(nullptr), accounts.Stored());
}

TEST_F(KeyringAccountStorageTest, DeletedAccountsLoseTheirEntryOnlyThroughTheReturnedKeys)
{
    (void)SaveAccounts(ini, accounts, &keeper);
    accounts.Delete(0);
    const QStringList gone = SaveAccounts(ini, accounts, &keeper);
    EXPECT_EQ(gone, QStringList({"id1/\\\\PC1/anna"}));
    EXPECT_EQ(vault.entries.size(), 2); // still there until the caller has saved the file
    keeper.Remove(gone);
    EXPECT_EQ(vault.entries.keys(), QStringList({"id1/\\\\SRV\\share/dom\\bob"}));
}

TEST_F(KeyringAccountStorageTest, TheSameComputerAndUserTwiceGetTwoEntries)
{
    accounts.Add({"\\\\PC1", "anna", "second"});
    (void)SaveAccounts(ini, accounts, &keeper);
    EXPECT_EQ(value("PasswordKey-2"), "id1#2/\\\\PC1/anna");
    EXPECT_EQ(vault.entries.value("id1#2/\\\\PC1/anna"), "second");
    TPasswordKeeper reader(&vault);
    EXPECT_EQ(load(&reader), accounts.Stored());
}

// A version that knows no keys deletes the first account and renumbers the rest;
// "PasswordKey-0" then still names anna's entry beside bob's name.
TEST_F(KeyringAccountStorageTest, AKeyLeftAtAnotherAccountsIndexIsNotUsed)
{
    (void)SaveAccounts(ini, accounts, &keeper);
    ini.WriteInteger(kSection, "Count", 1);
    ini.WriteString(kSection, "Computer-0", "\\\\SRV\\share");
    ini.WriteString(kSection, "Username-0", "dom\\bob");
    TPasswordKeeper reader(&vault);
    const QList<TUnicodeAccount> loaded = load(&reader);
    ASSERT_EQ(loaded.size(), 1);
    EXPECT_EQ(loaded.at(0).Password, "");
    EXPECT_TRUE(loaded.at(0).passwordMissing());
    EXPECT_EQ(vault.reads, 0);
}

// A version that knows no keys stores a new password for anna in "Password-0".
TEST_F(KeyringAccountStorageTest, APasswordWrittenBesideAKeyLaterWinsAndReplacesTheEntry)
{
    (void)SaveAccounts(ini, accounts, &keeper);
    ini.WriteString(kSection, "Password-0", "bmV3"); // "new"
    TPasswordKeeper reader(&vault);
    TAccountList loaded;
    LoadAccounts(ini, loaded, &reader);
    EXPECT_EQ(loaded.Get(0), TUnicodeAccount("\\\\PC1", "anna", "new"));
    EXPECT_EQ(vault.reads, 1); // bob's only
    reader.SetStoreId("id1");  // as PreparePasswordKeeper takes it from the file
    reader.SetStore(TPasswordStore::SecretService);
    EXPECT_TRUE(SaveAccounts(ini, loaded, &reader).isEmpty());
    EXPECT_EQ(vault.entries.value("id1/\\\\PC1/anna"), "new");
    EXPECT_EQ(value("Password-0"), "");
}

TEST_F(KeyringAccountStorageTest, AFileWithoutKeysIsWrittenAsBeforeWithoutAKeeper)
{
    keeper.SetStore(TPasswordStore::SettingsFile);
    TIniFile plain(dir.file("plain.ini"));
    (void)SaveAccounts(plain, accounts, nullptr);
    EXPECT_EQ(plain.ToBytes(),
              QByteArray("[Accounts]\r\nCount=2\r\n"
                         "Computer-0=\\\\PC1\r\nUsername-0=anna\r\nPassword-0=YWJj\r\n"
                         "Computer-1=\\\\SRV\\share\r\nUsername-1=dom\\bob\r\nPassword-1=cGEgc3M=\r\n"));
    EXPECT_EQ(vault.probes, 0);
}

TEST(PasswordKeeperTest, KeysFitTheirOwnAccountOnly)
{
    TPasswordKeeper keeper;
    keeper.SetStoreId("s");
    const TUnicodeAccount anna("\\\\PC1", "anna", "x");
    EXPECT_TRUE(TPasswordKeeper::KeyFits(keeper.KeyFor(anna, 1), anna));
    EXPECT_TRUE(TPasswordKeeper::KeyFits(keeper.KeyFor(anna, 3), anna));
    EXPECT_FALSE(TPasswordKeeper::KeyFits(keeper.KeyFor(anna, 1), {"\\\\PC1", "ann", "x"}));
    EXPECT_FALSE(TPasswordKeeper::KeyFits(keeper.KeyFor(anna, 1), {"\\\\PC2", "anna", "x"}));
    EXPECT_FALSE(TPasswordKeeper::KeyFits("/\\\\PC1/anna", anna)); // no store id
    const TUnicodeAccount hashed("\\\\PC1", "anna#2", "x");
    EXPECT_TRUE(TPasswordKeeper::KeyFits(keeper.KeyFor(hashed, 1), hashed));
    EXPECT_FALSE(TPasswordKeeper::KeyFits(keeper.KeyFor(hashed, 1), anna));
    const TUnicodeAccount slashed("a/b", "c", "x");
    EXPECT_TRUE(TPasswordKeeper::KeyFits(keeper.KeyFor(slashed, 2), slashed));
    EXPECT_FALSE(TPasswordKeeper::KeyFits(keeper.KeyFor(slashed, 1), {"b", "c", "x"}));
}

TEST(PasswordKeeperTest, StoreTextsAndAFreshIdPerKeeper)
{
    EXPECT_EQ(ParsePasswordStore("secretservice"), TPasswordStore::SecretService);
    EXPECT_EQ(ParsePasswordStore("SettingsFile"), TPasswordStore::SettingsFile);
    EXPECT_EQ(ParsePasswordStore("keyring"), std::nullopt);
    TPasswordKeeper one;
    TPasswordKeeper two;
    EXPECT_FALSE(one.StoreId().isEmpty());
    EXPECT_EQ(one.StoreId(), one.StoreId());
    EXPECT_NE(one.StoreId(), two.StoreId());
}

TEST(PasswordKeeperTest, TheVaultIsProbedOnceAndNoVaultNeverAnswers)
{
    MemoryPasswordVault vault;
    TPasswordKeeper keeper(&vault);
    EXPECT_TRUE(keeper.VaultAnswers());
    EXPECT_TRUE(keeper.VaultAnswers());
    EXPECT_EQ(vault.probes, 1);
    TPasswordKeeper none;
    EXPECT_FALSE(none.VaultAnswers());
    QString why;
    EXPECT_FALSE(none.Read("k", why).has_value());
    EXPECT_FALSE(why.isEmpty());
}

} // namespace
