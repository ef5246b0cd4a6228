#pragma once

#include "model/Account.h"

#include <QList>
#include <mutex>

// The ordered list of stored accounts (the program's one list is in TProgramSettings).
//
// Threads: the account dialogs change the list on the main thread while every search
// worker copies it when it starts. Every operation takes the list's own lock, and a
// worker reads the list only through Snapshot, so it never sees a change half done.
// Get/Set/Delete with an index outside 0..Count()-1 raise EKestrovaError.
class TAccountList {
public:
    // Appends a copy; returns its index.
    int Add(const TUnicodeAccount& account);
    // Appends all of them under one lock, so a worker sees none or all.
    void Append(const QList<TUnicodeAccount>& accounts);
    TUnicodeAccount Get(int index) const;
    void Set(int index, const TUnicodeAccount& account);
    // Removes the account; later ones move up by one.
    void Delete(int index);
    void Clear();
    int Count() const;
    // The accounts a logon may use, in list order: every account but those whose
    // password is missing from the keyring (see TUnicodeAccount::MissingPasswordKey),
    // so that none of them logs on with an empty password.
    QList<TUnicodeAccount> Snapshot() const;
    // A copy of the whole list, in list order, for saving it.
    QList<TUnicodeAccount> Stored() const;

private:
    void CheckIndex(int index) const; // caller holds the lock
    QList<TUnicodeAccount> Copy(bool withMissingPasswords) const;

    mutable std::mutex m_lock;
    QList<TUnicodeAccount> m_accounts;
};
