#include "accounts/AccountStorage.h"

#include "accounts/AccountList.h"
#include "accounts/PasswordCodec.h"
#include "accounts/PasswordKeeper.h"
#include "files/IniFile.h"
#include "model/LogCategories.h"

#include <QSet>
#include <algorithm>

namespace {

// Exact text: the [Accounts] section of the settings file users keep and its keys
// (these, "Count" and the indexed Computer-, Username-, Password-, PasswordKey-
// keys below), as earlier versions wrote them; the account tests read them by name.
const QString kSection = QStringLiteral("Accounts");
const QString kStoreKey = QStringLiteral("PasswordStore");
const QString kStoreIdKey = QStringLiteral("PasswordStoreId");

// A damaged or hostile "Count" must not make the program build billions of empty
// accounts and run out of memory; no real list comes near this.
constexpr int kMaxAccounts = 100000;

QString IndexedKey(const char* prefix, int index)
{
    return QLatin1StringView(prefix) + QString::number(index);
}

int StoredCount(const TIniFile& ini)
{
    return std::min(ini.ReadInteger(kSection, QStringLiteral("Count"), 0), kMaxAccounts);
}

QString PasswordKeyAt(const TIniFile& ini, int index)
{
    return ini.ReadString(kSection, IndexedKey("PasswordKey-", index), {});
}

// The password behind key, or an empty one with MissingPasswordKey set and the
// reason handed to the keeper and the log.
void TakePasswordFromVault(TUnicodeAccount& account, const QString& key, TPasswordKeeper* keeper)
{
    QString why = QStringLiteral("no keyring is in use");
    if (keeper && !TPasswordKeeper::KeyFits(key, account))
        why = QStringLiteral("its keyring entry belongs to another account");
    else if (keeper) {
        if (const std::optional<QString> password = keeper->Read(key, why)) {
            account.Password = *password;
            return;
        }
    }
    account.MissingPasswordKey = key;
    const QString problem = QStringLiteral("The password of %1 on %2 is missing from the keyring (%3)")
                                .arg(account.UserName, account.Computer, why);
    qCWarning(kestrovaAccounts).noquote() << problem;
    if (keeper)
        keeper->AddProblem(problem);
}

} // namespace

void LoadAccounts(const TIniFile& ini, TAccountList& accounts, TPasswordKeeper* keeper)
{
    const int count = StoredCount(ini);
    QList<TUnicodeAccount> loaded;
    for (int i = 0; i < count; ++i) {
        TUnicodeAccount account(ini.ReadString(kSection, IndexedKey("Computer-", i), {}),
                                ini.ReadString(kSection, IndexedKey("Username-", i), {}), {});
        // A key always comes with an empty "Password-i"; a password beside a key was
        // typed into a version that knows no keys, after the key was written.
        const QString key = PasswordKeyAt(ini, i);
        const QString stored = ini.ReadString(kSection, IndexedKey("Password-", i), {});
        if (key.isEmpty() || !stored.isEmpty())
            account.Password = DecodePassword(stored);
        else
            TakePasswordFromVault(account, key, keeper);
        loaded.append(account);
    }
    accounts.Append(loaded);
}

QStringList SaveAccounts(TIniFile& ini, const TAccountList& accounts, TPasswordKeeper* keeper)
{
    QSet<QString> before;
    for (int i = 0, count = StoredCount(ini); i < count; ++i)
        before.insert(PasswordKeyAt(ini, i));

    const QList<TUnicodeAccount> list = accounts.Stored();
    const bool intoVault =
        keeper && keeper->Store() == TPasswordStore::SecretService && keeper->VaultAnswers();
    if (keeper)
        ini.WriteString(kSection, kStoreKey, PasswordStoreText(keeper->Store()));
    if (intoVault)
        ini.WriteString(kSection, kStoreIdKey, keeper->StoreId());

    // Keys of missing passwords stay with their accounts; new keys avoid them.
    QSet<QString> used;
    for (const TUnicodeAccount& account : list)
        used.insert(account.MissingPasswordKey);

    ini.WriteInteger(kSection, QStringLiteral("Count"), static_cast<int32_t>(list.size()));
    for (int i = 0; i < list.size(); ++i) {
        const TUnicodeAccount& account = list.at(i);
        QString key = account.MissingPasswordKey;
        if (key.isEmpty() && intoVault) {
            int occurrence = 1;
            while (used.contains(key = keeper->KeyFor(account, occurrence)))
                ++occurrence;
            QString why;
            if (keeper->Write(key, account.Password, why)) {
                used.insert(key);
            } else {
                qCWarning(kestrovaAccounts).noquote()
                    << QStringLiteral("The password of %1 on %2 stays in the settings file: %3")
                           .arg(account.UserName, account.Computer, why);
                key.clear();
            }
        }
        ini.WriteString(kSection, IndexedKey("Computer-", i), account.Computer);
        ini.WriteString(kSection, IndexedKey("Username-", i), account.UserName);
        ini.WriteString(kSection, IndexedKey("Password-", i),
                        key.isEmpty() ? EncodePassword(account.Password) : QString());
        // Files that never used the keyring get no "PasswordKey-i" at all.
        if (!key.isEmpty() || !PasswordKeyAt(ini, i).isEmpty())
            ini.WriteString(kSection, IndexedKey("PasswordKey-", i), key);
    }

    QStringList gone;
    for (const QString& key : std::as_const(before)) {
        if (!key.isEmpty() && !used.contains(key))
            gone.append(key);
    }
    gone.sort();
    return gone;
}
