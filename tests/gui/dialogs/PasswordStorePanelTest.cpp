#include "dialogs/PasswordStorePanel.h"

#include "accounts/AccountList.h"
#include "accounts/AccountStorage.h"
#include "accounts/PasswordKeeper.h"
#include "dialogs/AccountsManagementForm.h"
#include "files/IniFile.h"
#include "model/Error.h"
#include "support/DialogTestSupport.h"
#include "support/MemoryPasswordVault.h"
#include "support/QStringPrinter.h"
#include "support/TempDir.h"

#include <QLabel>
#include <QPushButton>
#include <QTreeView>
#include <gtest/gtest.h>

namespace {

// The password management window over a settings file whose passwords go to a
// vault in memory; persist saves the accounts the way the program does.
class PasswordStorePanelTest : public TDialogTest {
protected:
    PasswordStorePanelTest()
    {
        accounts.Add({"\\\\PC1", "anna", "abc"});
        keeper.SetStoreId("id");
    }

    void persist()
    {
        ++saves;
        if (failSave)
            throw EKestrovaError("Cannot write the settings file");
        TIniFile ini(settingsPath);
        keeper.Remove(SaveAccounts(ini, accounts, &keeper));
        ini.UpdateFile();
    }

    QString where() const { return form.findChild<QLabel*>("lbPasswordStore")->text(); }
    QPushButton* moveButton() const { return form.findChild<QPushButton*>("moveButton"); }
    QString passwordCell(int row) const
    {
        const QAbstractItemModel* model = form.listView()->model();
        return model->data(model->index(row, 2)).toString();
    }

    TRecordingDialogPrompts prompts;
    TempDir dir;
    QString settingsPath = dir.file("kestrova.ini");
    MemoryPasswordVault vault;
    TPasswordKeeper keeper{&vault};
    TAccountList accounts;
    int saves = 0;
    bool failSave = false;
    TAccountsManagementForm form{accounts, nullptr, &keeper, [this] { persist(); }};
};

TEST_F(PasswordStorePanelTest, SaysWhereThePasswordsAreAndMovesThemBothWays)
{
    EXPECT_TRUE(where().startsWith("Passwords are kept in the settings file.")) << where().toStdString();
    EXPECT_EQ(moveButton()->text(), "Move to &Keyring");

    moveButton()->click();
    EXPECT_EQ(keeper.Store(), TPasswordStore::SecretService);
    EXPECT_EQ(vault.entries.value("id/\\\\PC1/anna"), "abc");
    EXPECT_EQ(TIniFile(settingsPath).ReadString("Accounts", "Password-0", "<none>"), "");
    EXPECT_TRUE(where().startsWith("Passwords are kept in the test vault.")) << where().toStdString();
    EXPECT_EQ(moveButton()->text(), "Move to Settings &File");

    moveButton()->click();
    EXPECT_EQ(keeper.Store(), TPasswordStore::SettingsFile);
    EXPECT_TRUE(vault.entries.isEmpty());
    EXPECT_EQ(TIniFile(settingsPath).ReadString("Accounts", "Password-0", {}), "YWJj");
    EXPECT_EQ(saves, 2);
    EXPECT_TRUE(prompts.errors.isEmpty());
}

TEST_F(PasswordStorePanelTest, AFailedMoveKeepsTheStoreAndSaysWhy)
{
    failSave = true;
    moveButton()->click();
    EXPECT_EQ(keeper.Store(), TPasswordStore::SettingsFile);
    EXPECT_EQ(prompts.errors, QStringList({"Cannot write the settings file"}));
    EXPECT_EQ(moveButton()->text(), "Move to &Keyring");
}

TEST_F(PasswordStorePanelTest, NoKeyringNoMoveIntoIt)
{
    vault.answers = false;
    keeper.SetVault(&vault);
    form.refresh();
    EXPECT_FALSE(moveButton()->isEnabled());
    form.storePanel()->moveToOtherStore();
    EXPECT_EQ(prompts.errors, QStringList({"No keyring answers: the passwords stay in the settings file."}));
    EXPECT_EQ(saves, 0);
}

TEST_F(PasswordStorePanelTest, AMissingPasswordIsShownInItsRowAndCounted)
{
    TUnicodeAccount lost("\\\\PC2", "bob", "");
    lost.MissingPasswordKey = "id/\\\\PC2/bob";
    accounts.Add(lost);
    form.refresh();
    EXPECT_EQ(passwordCell(0), "\u25cf\u25cf\u25cf");
    EXPECT_EQ(passwordCell(1), "(missing from the keyring)");
    EXPECT_TRUE(where().contains("1 password(s) are missing from the keyring")) << where().toStdString();
}

TEST_F(PasswordStorePanelTest, TheWindowWithoutAKeeperHasNoStoreLine)
{
    TAccountsManagementForm plain(accounts);
    EXPECT_EQ(plain.storePanel(), nullptr);
    EXPECT_EQ(plain.findChild<QPushButton*>("moveButton"), nullptr);
}

} // namespace
