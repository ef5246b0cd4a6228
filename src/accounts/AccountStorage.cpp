#include "accounts/AccountStorage.h"

#include "accounts/AccountList.h"
#include "accounts/PasswordCodec.h"
#include "files/IniFile.h"

#include <algorithm>

namespace {

const QString kSection = QStringLiteral("Accounts");

// A damaged or hostile "Count" must not make the program build billions of empty
// accounts and run out of memory; no real list comes near this.
constexpr int kMaxAccounts = 100000;

QString IndexedKey(const char* prefix, int index)
{
    return QLatin1StringView(prefix) + QString::number(index);
}

} // namespace

void LoadAccounts(const TIniFile& ini, TAccountList& accounts)
{
    const int count = std::min(ini.ReadInteger(kSection, QStringLiteral("Count"), 0), kMaxAccounts);
    QList<TUnicodeAccount> loaded;
    for (int i = 0; i < count; ++i) {
        const QString password = DecodePassword(ini.ReadString(kSection, IndexedKey("Password-", i), {}));
        const QString userName = ini.ReadString(kSection, IndexedKey("Username-", i), {});
        const QString computer = ini.ReadString(kSection, IndexedKey("Computer-", i), {});
        loaded.append(TUnicodeAccount(computer, userName, password));
    }
    accounts.Append(loaded);
}

void SaveAccounts(TIniFile& ini, const TAccountList& accounts)
{
    const QList<TUnicodeAccount> list = accounts.Snapshot();
    ini.WriteInteger(kSection, QStringLiteral("Count"), static_cast<int32_t>(list.size()));
    for (int i = 0; i < list.size(); ++i) {
        const TUnicodeAccount& account = list.at(i);
        ini.WriteString(kSection, IndexedKey("Computer-", i), account.Computer);
        ini.WriteString(kSection, IndexedKey("Username-", i), account.UserName);
        ini.WriteString(kSection, IndexedKey("Password-", i), EncodePassword(account.Password));
    }
}
