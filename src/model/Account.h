#pragma once

#include <QString>

// Stored credentials: the computer name, share path or mask they apply to, the
// user name and the password in clear text (encoded only when stored).
//
// MissingPasswordKey is set on an account whose password is kept in the desktop's
// keyring under that key but could not be read there: its Password is empty, it
// takes no part in logons, and it is saved with the same key so that nothing is lost
// while the keyring is away.
struct TUnicodeAccount {
    TUnicodeAccount() = default;
    TUnicodeAccount(const QString& computer, const QString& userName, const QString& password)
        : Computer(computer), UserName(userName), Password(password)
    {
    }

    QString Computer;
    QString UserName;
    QString Password;
    QString MissingPasswordKey;

    bool passwordMissing() const { return !MissingPasswordKey.isEmpty(); }

    friend bool operator==(const TUnicodeAccount&, const TUnicodeAccount&) = default;
};
