#include "accounts/AccountList.h"

#include "model/Error.h"

namespace {

QString OwnCopy(const QString& text)
{
    return QString(text.constData(), text.size());
}

} // namespace

void TAccountList::CheckIndex(int index) const
{
    if (index < 0 || index >= m_accounts.size())
        throw EKestrovaError(QStringLiteral("List index out of bounds (%1)").arg(index));
}

int TAccountList::Add(const TUnicodeAccount& account)
{
    const std::lock_guard lock(m_lock);
    m_accounts.append(account);
    return static_cast<int>(m_accounts.size() - 1);
}

void TAccountList::Append(const QList<TUnicodeAccount>& accounts)
{
    const std::lock_guard lock(m_lock);
    m_accounts.append(accounts);
}

TUnicodeAccount TAccountList::Get(int index) const
{
    const std::lock_guard lock(m_lock);
    CheckIndex(index);
    return m_accounts.at(index);
}

void TAccountList::Set(int index, const TUnicodeAccount& account)
{
    const std::lock_guard lock(m_lock);
    CheckIndex(index);
    m_accounts[index] = account;
}

void TAccountList::Delete(int index)
{
    const std::lock_guard lock(m_lock);
    CheckIndex(index);
    m_accounts.removeAt(index);
}

void TAccountList::Clear()
{
    const std::lock_guard lock(m_lock);
    m_accounts.clear();
}

int TAccountList::Count() const
{
    const std::lock_guard lock(m_lock);
    return static_cast<int>(m_accounts.size());
}

QList<TUnicodeAccount> TAccountList::Snapshot() const
{
    return Copy(false);
}

QList<TUnicodeAccount> TAccountList::Stored() const
{
    return Copy(true);
}

QList<TUnicodeAccount> TAccountList::Copy(bool withMissingPasswords) const
{
    const std::lock_guard lock(m_lock);
    // A copy that shares no data with the list, strings included. Handing out Qt's
    // implicitly shared data instead relies on its share counts for safety, and QList
    // reads its count without ordering before it moves elements in place
    // (ThreadSanitizer reports the race). The list is short; copying it is cheap.
    QList<TUnicodeAccount> copy;
    copy.reserve(m_accounts.size());
    for (const TUnicodeAccount& account : m_accounts) {
        if (account.passwordMissing() && !withMissingPasswords)
            continue;
        TUnicodeAccount own(OwnCopy(account.Computer), OwnCopy(account.UserName), OwnCopy(account.Password));
        own.MissingPasswordKey = OwnCopy(account.MissingPasswordKey);
        copy.append(own);
    }
    return copy;
}
