#pragma once

#include "model/Account.h"

#include <QDialog>

class QLineEdit;

// "Add Account" (for adding and editing alike): the computer, shared folder or mask,
// the user name and the password typed twice. OK refuses an empty computer name and
// two passwords that differ (clearing both), each with an error box; the window then
// stays open.
class TAddAccountForm : public QDialog {
    Q_OBJECT
public:
    explicit TAddAccountForm(QWidget* parent = nullptr);

    // Fills the fields from a stored account, its password in both password fields.
    void setAccount(const TUnicodeAccount& account);
    // The fields as typed (the first password field); the caller decides about the
    // computer name's UNC prefix.
    TUnicodeAccount account() const;

    void accept() override;

private:
    QLineEdit* m_computer;
    QLineEdit* m_userName;
    QLineEdit* m_password1;
    QLineEdit* m_password2;
};
