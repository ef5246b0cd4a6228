#pragma once

#include "model/Account.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <optional>

class TPasswordVault;

// Where the settings file keeps the stored accounts' passwords.
enum class TPasswordStore {
    SettingsFile, // Base64 in "Password-i", as every version has done
    SecretService // in the desktop's keyring; "PasswordKey-i" names the entry
};

// The value of the "PasswordStore" key, and back (anything else gives nothing).
QString PasswordStoreText(TPasswordStore store);
std::optional<TPasswordStore> ParsePasswordStore(const QString& text);

// The settings file's side of the keyring: which store new passwords go to, the
// vault that holds them, and what this process knows the vault holds, so that a save
// rewrites only the entries that changed. The program's instance is in its
// TProgramSettings; it is used on the main thread only.
//
// Entry keys are "<store id>/<computer>/<user name>", the store id followed by "#n"
// for the n-th (n >= 2) account of the same computer and user. The store id is a
// random text without "/" kept in the settings file, so two settings files never
// share entries.
class TPasswordKeeper {
public:
    explicit TPasswordKeeper(TPasswordVault* vault = nullptr);

    // Not owned; forgets the probe, the cache and the problems.
    void SetVault(TPasswordVault* vault);
    TPasswordVault* Vault() const { return m_vault; }
    // Whether there is a vault and it answers; asked once, then remembered.
    bool VaultAnswers();

    TPasswordStore Store() const { return m_store; }
    void SetStore(TPasswordStore store) { m_store = store; }
    // A new random id when none was set.
    QString StoreId();
    void SetStoreId(const QString& id) { m_storeId = id; }

    QString KeyFor(const TUnicodeAccount& account, int occurrence);
    // Whether key is one KeyFor gives for this computer and user name (any store id
    // and occurrence): a key left at an index by a version that moved the accounts
    // without knowing the keys belongs to another account.
    static bool KeyFits(const QString& key, const TUnicodeAccount& account);

    // The password under key, or nothing with the reason in why.
    std::optional<QString> Read(const QString& key, QString& why);
    // Stores password under key unless the vault is known to hold it already.
    bool Write(const QString& key, const QString& password, QString& why);
    // Removes the entries; a failure is logged and leaves the entry behind.
    void Remove(const QStringList& keys);

    // One line per account whose password could not be read at the last load.
    const QStringList& Problems() const { return m_problems; }
    void AddProblem(const QString& text) { m_problems.append(text); }
    void ClearProblems() { m_problems.clear(); }

private:
    TPasswordVault* m_vault;
    std::optional<bool> m_answers;
    TPasswordStore m_store = TPasswordStore::SettingsFile;
    QString m_storeId;
    QHash<QString, QString> m_held; // key -> password the vault is known to hold
    QStringList m_problems;
};
