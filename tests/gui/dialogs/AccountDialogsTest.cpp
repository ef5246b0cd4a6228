#include "accounts/AccountList.h"
#include "dialogs/AccountsImportForm.h"
#include "dialogs/AccountsManagementForm.h"
#include "dialogs/AddAccountForm.h"
#include "support/DialogTestSupport.h"
#include "support/QStringPrinter.h"
#include "support/TempDir.h"

#include <QLabel>
#include <QLineEdit>
#include <QTreeView>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

using Accounts = QList<TUnicodeAccount>;

QLineEdit* Field(QWidget* form, const char* name)
{
    return form->findChild<QLineEdit*>(name);
}

// Answers the next account window: fills in the four fields and presses OK.
void AnswerAccountWindow(const QString& computer, const QString& user, const QString& password,
                         QStringList* shown = nullptr)
{
    OnNextModal([=](QDialog* dialog) {
        if (shown) {
            *shown = {Field(dialog, "edCompName")->text(), Field(dialog, "edUserName")->text(),
                      Field(dialog, "edPasswd1")->text(), Field(dialog, "edPasswd2")->text()};
        }
        Field(dialog, "edCompName")->setText(computer);
        Field(dialog, "edUserName")->setText(user);
        Field(dialog, "edPasswd1")->setText(password);
        Field(dialog, "edPasswd2")->setText(password);
        ClickButton(dialog, "okButton");
    });
}

class AccountDialogsTest : public TDialogTest {
protected:
    QString cell(int row, int column) const
    {
        const QAbstractItemModel* model = form.listView()->model();
        return model->data(model->index(row, column)).toString();
    }

    TRecordingDialogPrompts prompts;
    TAccountList accounts;
    TAccountsManagementForm form{accounts};
};

TEST_F(AccountDialogsTest, AccountWindowRefusesAnEmptyComputerName)
{
    TAddAccountForm window;
    window.show();
    Field(&window, "edPasswd1")->setText("a");
    Field(&window, "edPasswd2")->setText("a");
    window.accept();
    EXPECT_EQ(prompts.errors, QStringList({"Please enter computer or shared folder name"}));
    EXPECT_EQ(prompts.owners.value(0), &window);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.result(), QDialog::Rejected);
}

TEST_F(AccountDialogsTest, DifferentPasswordsAreClearedAndTheWindowStays)
{
    TAddAccountForm window;
    window.show();
    Field(&window, "edCompName")->setText("pc1");
    Field(&window, "edPasswd1")->setText("secret");
    Field(&window, "edPasswd2")->setText("Secret");
    window.accept();
    EXPECT_EQ(prompts.errors, QStringList({"You have entered different passwords. Try again."}));
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(Field(&window, "edPasswd1")->text().isEmpty());
    EXPECT_TRUE(Field(&window, "edPasswd2")->text().isEmpty());
    EXPECT_EQ(Field(&window, "edPasswd1")->echoMode(), QLineEdit::Password);

    Field(&window, "edPasswd1")->setText("secret");
    Field(&window, "edPasswd2")->setText("secret");
    window.accept();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_EQ(window.account(), TUnicodeAccount("pc1", "", "secret"));
}

TEST_F(AccountDialogsTest, AddedComputersGetTheUncPrefix)
{
    AnswerAccountWindow("fileserv", "anna", "pw1");
    form.addAccount();
    AnswerAccountWindow("\\\\fileserv\\docs", "bob", "");
    form.addAccount();
    EXPECT_EQ(accounts.Snapshot(),
              Accounts({{"\\\\fileserv", "anna", "pw1"}, {"\\\\fileserv\\docs", "bob", ""}}));
    EXPECT_EQ(form.listView()->model()->rowCount(), 2);
    EXPECT_EQ(cell(0, 0), "\\\\fileserv");
    EXPECT_EQ(cell(0, 1), "anna");
    EXPECT_EQ(cell(0, 2), QString(3, QChar(0x25CF)));
    EXPECT_EQ(cell(1, 2), "");
}

TEST_F(AccountDialogsTest, CancelledAccountWindowAddsNothing)
{
    OnNextModal([](QDialog* dialog) {
        Field(dialog, "edCompName")->setText("pc1");
        ClickButton(dialog, "cancelButton");
    });
    form.addAccount();
    EXPECT_EQ(accounts.Count(), 0);
}

TEST_F(AccountDialogsTest, EditShowsTheAccountAndStoresTheNameAsTyped)
{
    accounts.Add({"\\\\old", "anna", "pw"});
    accounts.Add({"\\\\other", "bob", "x"});
    form.refresh();

    // Nothing selected: Edit does nothing (no window opens).
    form.editAccount();
    EXPECT_EQ(accounts.Get(0).Computer, "\\\\old");

    form.selectIndex(0);
    QStringList shown;
    AnswerAccountWindow("fileserv", "carl", "new", &shown);
    form.editAccount();
    EXPECT_EQ(shown, QStringList({"\\\\old", "anna", "pw", "pw"}));
    EXPECT_EQ(accounts.Snapshot(), Accounts({{"fileserv", "carl", "new"}, {"\\\\other", "bob", "x"}}));
    EXPECT_EQ(cell(0, 0), "fileserv");
    EXPECT_EQ(form.selectedIndex(), 0);
}

TEST_F(AccountDialogsTest, DeleteRemovesAtOnceAndCancelDoesNotBringItBack)
{
    accounts.Add({"\\\\a", "", ""});
    accounts.Add({"\\\\b", "", ""});
    accounts.Add({"\\\\c", "", ""});
    form.refresh();
    form.deleteAccount(); // nothing selected
    EXPECT_EQ(accounts.Count(), 3);

    OnNextModal([](QDialog* dialog) {
        auto* shown = qobject_cast<TAccountsManagementForm*>(dialog);
        ASSERT_NE(shown, nullptr);
        shown->selectIndex(1);
        ClickButton(dialog, "deleteButton");
        EXPECT_EQ(shown->listView()->model()->rowCount(), 2);
        ClickButton(dialog, "cancelButton");
    });
    TAccountsManagementForm manager(accounts);
    manager.exec();
    EXPECT_EQ(accounts.Snapshot(), Accounts({{"\\\\a", "", ""}, {"\\\\c", "", ""}}));
}

TEST_F(AccountDialogsTest, ImportAppendsThePreviewInOrder)
{
    TempDir dir;
    const QString path = dir.write("accounts.csv", "srv1;anna;\"pass word\"\r\n\r\n\\\\srv2\\docs;bob\r\n");
    accounts.Add({"\\\\first", "", ""});
    form.refresh();
    prompts.openFileAnswers = {path};
    OnNextModal([](QDialog* dialog) {
        Field(dialog, "leSeparator")->setText(";");
        ClickButton(dialog, "browseButton");
        EXPECT_EQ(dialog->findChild<QTreeWidget*>("lvPreview")->topLevelItemCount(), 2);
        ClickButton(dialog, "okButton");
    });
    form.importAccounts();
    EXPECT_EQ(prompts.fileFilters, QStringList({"CSV files (*.csv)|*.csv"}));
    EXPECT_EQ(
        accounts.Snapshot(),
        Accounts({{"\\\\first", "", ""}, {"\\\\srv1", "anna", "pass word"}, {"\\\\srv2\\docs", "bob", ""}}));
    EXPECT_EQ(form.listView()->model()->rowCount(), 3);
}

TEST_F(AccountDialogsTest, CancelledImportAddsNothing)
{
    TempDir dir;
    prompts.openFileAnswers = {dir.write("a.csv", "srv1,anna,pw\n")};
    OnNextModal([](QDialog* dialog) {
        ClickButton(dialog, "browseButton");
        ClickButton(dialog, "cancelButton");
    });
    form.importAccounts();
    EXPECT_EQ(accounts.Count(), 0);
}

const QString kMasked(8, QChar(0x2022));

class AccountsImportFormTest : public TDialogTest {
protected:
    QStringList row(int index) const
    {
        const QTreeWidgetItem* item = preview()->topLevelItem(index);
        return item ? QStringList{item->text(0), item->text(1), item->text(2)} : QStringList();
    }
    QTreeWidget* preview() const { return form.findChild<QTreeWidget*>("lvPreview"); }

    TRecordingDialogPrompts prompts;
    TempDir dir;
    TAccountsImportForm form;
};

TEST_F(AccountsImportFormTest, ChangingTheSeparatorParsesTheFileAgain)
{
    const QString path = dir.write("a.csv", "pc1;anna;pw\npc2,bob,x\n");
    QLineEdit* separator = Field(&form, "leSeparator");
    EXPECT_EQ(separator->maxLength(), 1);
    EXPECT_EQ(separator->text().size(), 1); // the locale's list separator
    EXPECT_TRUE(Field(&form, "leCsvFile")->isReadOnly());

    separator->setText(";");
    EXPECT_EQ(preview()->topLevelItemCount(), 0); // no file yet
    form.parseFile(path);
    EXPECT_EQ(Field(&form, "leCsvFile")->text(), path);
    EXPECT_EQ(row(0), QStringList({"\\\\pc1", "anna", kMasked}));
    EXPECT_EQ(row(1), QStringList({"\\\\pc2,bob,x", "", ""}));

    separator->setText(",");
    EXPECT_EQ(row(0), QStringList({"\\\\pc1;anna;pw", "", ""}));
    EXPECT_EQ(row(1), QStringList({"\\\\pc2", "bob", kMasked}));
    EXPECT_EQ(form.accounts().size(), 2);
    // An emptied separator leaves the preview as it was.
    separator->clear();
    EXPECT_EQ(preview()->topLevelItemCount(), 2);
    EXPECT_TRUE(prompts.errors.isEmpty());
}

TEST_F(AccountsImportFormTest, HeaderAndMalformedLinesAreSkippedAndCountedAndPasswordsMasked)
{
    Field(&form, "leSeparator")->setText(",");
    form.parseFile(dir.write("export.csv", "Computer Name,User Name,Password\n"
                                           "# office machines\n"
                                           "fileserv,anna,s3cret\n"
                                           "copied from the old wiki page\n"
                                           "printer,admin,\n"));
    ASSERT_EQ(preview()->topLevelItemCount(), 2);
    EXPECT_EQ(row(0), QStringList({"\\\\fileserv", "anna", kMasked}));
    EXPECT_EQ(row(1), QStringList({"\\\\printer", "admin", ""}));
    EXPECT_EQ(form.accounts().at(0).Password, "s3cret"); // the real one is imported
    for (int column = 0; column < 3; ++column)
        EXPECT_FALSE(preview()->topLevelItem(0)->text(column).contains("s3cret"));
    auto* skipped = form.findChild<QLabel*>("lblSkipped");
    ASSERT_NE(skipped, nullptr);
    EXPECT_EQ(skipped->text(), "3 lines are not accounts and were skipped");

    form.parseFile(dir.write("one.csv", "host,user,password\nfileserv,anna,x\n"));
    EXPECT_EQ(skipped->text(), "1 line is not an account and was skipped");
    form.parseFile(dir.write("clean.csv", "fileserv,anna,x\n"));
    EXPECT_EQ(skipped->text(), "");
}

TEST_F(AccountsImportFormTest, FilesThatCannotBeParsedAreReported)
{
    QByteArray large(1048577, 'x');
    const QString path = dir.write("large.csv", large);
    form.parseFile(dir.write("ok.csv", "pc1,a,b\n"));
    Field(&form, "leSeparator")->setText(",");
    ASSERT_EQ(preview()->topLevelItemCount(), 1);

    form.parseFile(path);
    EXPECT_EQ(prompts.errors, QStringList({"Unable to parse file: input file is too large"}));
    EXPECT_EQ(prompts.owners.value(0), &form);
    EXPECT_EQ(preview()->topLevelItemCount(), 0);
    EXPECT_TRUE(form.accounts().isEmpty());

    form.parseFile(dir.file("missing.csv"));
    ASSERT_EQ(prompts.errors.size(), 2);
    EXPECT_TRUE(prompts.errors[1].startsWith("Unable to parse file: ")) << prompts.errors[1].toStdString();
}

} // namespace
