#include "accounts/PasswordKeeper.h"

#include "accounts/PasswordVault.h"
#include "model/LogCategories.h"

#include <QUuid>

// Exact text: the values of PasswordStore in users' settings files (read without
// regard to case); the keyring tests compare what is written.
QString PasswordStoreText(TPasswordStore store)
{
    return store == TPasswordStore::SecretService ? QStringLiteral("SecretService")
                                                  : QStringLiteral("SettingsFile");
}

std::optional<TPasswordStore> ParsePasswordStore(const QString& text)
{
    for (const TPasswordStore store : {TPasswordStore::SettingsFile, TPasswordStore::SecretService}) {
        if (text.compare(PasswordStoreText(store), Qt::CaseInsensitive) == 0)
            return store;
    }
    return std::nullopt;
}

TPasswordKeeper::TPasswordKeeper(TPasswordVault* vault) : m_vault(vault) {}

void TPasswordKeeper::SetVault(TPasswordVault* vault)
{
    m_vault = vault;
    m_answers.reset();
    m_held.clear();
    m_problems.clear();
}

bool TPasswordKeeper::VaultAnswers()
{
    if (!m_vault)
        return false;
    if (!m_answers)
        m_answers = m_vault->Answers();
    return *m_answers;
}

QString TPasswordKeeper::StoreId()
{
    if (m_storeId.isEmpty())
        m_storeId = QUuid::createUuid().toString(QUuid::WithoutBraces);
    return m_storeId;
}

// Exact text: the form "id[#n]/computer/user" of keyring entry names, stored as
// PasswordKey-i in settings files; KeyFits and entries made by earlier runs rely
// on it.
QString TPasswordKeeper::KeyFor(const TUnicodeAccount& account, int occurrence)
{
    QString head = StoreId();
    if (occurrence > 1)
        head += u'#' + QString::number(occurrence);
    return head + u'/' + account.Computer + u'/' + account.UserName;
}

bool TPasswordKeeper::KeyFits(const QString& key, const TUnicodeAccount& account)
{
    // The head (store id and occurrence) holds no "/", so the rest is exactly the
    // computer and the user name, whatever "/" or "#" they hold themselves.
    const QString tail = u'/' + account.Computer + u'/' + account.UserName;
    if (key.size() <= tail.size() || !key.endsWith(tail))
        return false;
    return !key.first(key.size() - tail.size()).contains(u'/');
}

std::optional<QString> TPasswordKeeper::Read(const QString& key, QString& why)
{
    if (!VaultAnswers()) {
        why = QStringLiteral("no keyring answers");
        return std::nullopt;
    }
    const TVaultReply reply = m_vault->Read(key);
    if (reply.Status == TVaultReply::TStatus::NotFound) {
        why = QStringLiteral("the keyring holds no such entry");
        return std::nullopt;
    }
    if (!reply.done()) {
        why = reply.Error;
        return std::nullopt;
    }
    m_held.insert(key, reply.Password);
    return reply.Password;
}

bool TPasswordKeeper::Write(const QString& key, const QString& password, QString& why)
{
    const auto held = m_held.constFind(key);
    if (held != m_held.cend() && *held == password)
        return true;
    if (!VaultAnswers()) {
        why = QStringLiteral("no keyring answers");
        return false;
    }
    const TVaultReply reply = m_vault->Write(key, password);
    if (!reply.done()) {
        m_held.remove(key);
        why = reply.Error;
        return false;
    }
    m_held.insert(key, password);
    return true;
}

void TPasswordKeeper::Remove(const QStringList& keys)
{
    for (const QString& key : keys) {
        m_held.remove(key);
        if (!VaultAnswers()) {
            qCWarning(kestrovaAccounts) << "Keyring entry" << key << "left behind: no keyring answers";
            continue;
        }
        const TVaultReply reply = m_vault->Remove(key);
        if (!reply.done() && reply.Status != TVaultReply::TStatus::NotFound)
            qCWarning(kestrovaAccounts) << "Keyring entry" << key << "left behind:" << reply.Error;
    }
}
