#include "engine/ShareAccess.h"

#include "model/Error.h"

#include <optional>

TAccountMaskList BuildAccountMasks(const std::vector<TUnicodeAccount>& accounts)
{
    TAccountMaskList masks;
    masks.reserve(accounts.size());
    for (const auto& account : accounts)
        masks.push_back(std::make_unique<TAccountMask>(account.Computer, account.UserName, account.Password));
    return masks;
}

bool ShareTakenForSearch(const ShareInfo& share, THiddenShareMode hiddenResSearchMethod)
{
    if (share.type != ShareType::Disk)
        return false;
    const bool hidden = share.name.endsWith(u'$');
    switch (hiddenResSearchMethod) {
    case THiddenShareMode::CommonOnly:
        return !hidden;
    case THiddenShareMode::HiddenOnly:
        return hidden;
    case THiddenShareMode::CommonAndHidden:
        return true;
    default:
        return false;
    }
}

TShareAccess::TShareAccess(ShareClient& client, const TAccountMaskList& accountMasks,
                           THiddenShareMode hiddenResSearchMethod)
    : m_client(client), m_accountMasks(accountMasks), m_hiddenResSearchMethod(hiddenResSearchMethod)
{
}

bool TShareAccess::EnumHostShares(const QString& host, QStringList& shares)
{
    shares.clear();
    try {
        std::vector<ShareInfo> listed;
        if (m_client.listShares(host, listed).failed())
            return false;
        for (const auto& share : listed) {
            if (ShareTakenForSearch(share, m_hiddenResSearchMethod))
                shares.append(share.name);
        }
    } catch (const std::exception&) {
        throw EKestrovaError(QStringLiteral("TWorkerThread: EnumHostResources"));
    }
    return !shares.isEmpty();
}

bool TShareAccess::LogonTo(const QString& remotePath, QString& userName)
{
    userName.clear();
    for (const auto& account : m_accountMasks) {
        if (!account->Matches(remotePath))
            continue;
        const bool connected = !m_client.connect(remotePath, account->UserName, account->Password).failed() ||
                               !m_client.connect(remotePath, account->UserName, std::nullopt).failed() ||
                               !m_client.connect(remotePath, std::nullopt, account->Password).failed();
        if (connected) {
            userName = account->UserName;
            return true;
        }
    }
    return false;
}

void TShareAccess::CancelConnection(const QString& remotePath)
{
    m_client.cancelConnection(remotePath);
}
