#include "accounts/AccountList.h"

#include "model/Error.h"

TAccountList AccountList;

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
    const std::lock_guard lock(m_lock);
    // Qt's implicit sharing is safe across threads: a later change on the main thread
    // detaches its own copy under the lock and leaves this one untouched.
    return m_accounts;
}
