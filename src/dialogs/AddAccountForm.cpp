#include "dialogs/AddAccountForm.h"

#include "dialogs/DialogPrompts.h"
#include "dialogs/ModalButtons.h"
#include "dialogs/PasswordEdit.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

TAddAccountForm::TAddAccountForm(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Add Account"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Wildcards (*) and (?) are allowed in computer name"), this));

    auto* fields = new QFormLayout;
    m_computer = new QLineEdit(this);
    m_computer->setObjectName(QStringLiteral("edCompName"));
    m_userName = new QLineEdit(this);
    m_userName->setObjectName(QStringLiteral("edUserName"));
    m_password1 = CreatePasswordEdit(QStringLiteral("edPasswd1"), this);
    m_password2 = CreatePasswordEdit(QStringLiteral("edPasswd2"), this);
    fields->addRow(QStringLiteral("Computer/Folder"), m_computer);
    fields->addRow(QStringLiteral("User Name"), m_userName);
    fields->addRow(QStringLiteral("Enter Password"), m_password1);
    fields->addRow(QStringLiteral("Confirm Password"), m_password2);
    layout->addLayout(fields);
    layout->addWidget(new TModalButtons(this));
    setMinimumWidth(340);
}

void TAddAccountForm::setAccount(const TUnicodeAccount& account)
{
    m_computer->setText(account.Computer);
    m_userName->setText(account.UserName);
    m_password1->setText(account.Password);
    m_password2->setText(account.Password);
}

TUnicodeAccount TAddAccountForm::account() const
{
    return TUnicodeAccount(m_computer->text(), m_userName->text(), m_password1->text());
}

void TAddAccountForm::accept()
{
    if (m_computer->text().isEmpty()) {
        // Exact text: this and the password mismatch below are compared by the account
        // dialog tests.
        DialogPrompts().error(this, QStringLiteral("Please enter computer or shared folder name"));
        m_computer->setFocus();
        return;
    }
    if (m_password1->text() != m_password2->text()) {
        m_password1->clear();
        m_password2->clear();
        DialogPrompts().error(this, QStringLiteral("You have entered different passwords. Try again."));
        m_password1->setFocus();
        return;
    }
    QDialog::accept();
}
