#pragma once

#include <QString>

// Stored credentials: the computer name, share path or mask they apply to, the
// user name and the password in clear text (encoded only when stored).
struct TUnicodeAccount {
    TUnicodeAccount() = default;
    TUnicodeAccount(const QString& computer, const QString& userName, const QString& password)
        : Computer(computer), UserName(userName), Password(password)
    {
    }

    QString Computer;
    QString UserName;
    QString Password;

    friend bool operator==(const TUnicodeAccount&, const TUnicodeAccount&) = default;
};
