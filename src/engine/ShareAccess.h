#pragma once

#include "engine/FileMask.h"
#include "engine/ports/ShareClient.h"
#include "model/Account.h"
#include "model/SearchModes.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

using TAccountMaskList = std::vector<std::unique_ptr<TAccountMask>>;

// One account mask per stored account, in list order. An invalid computer mask raises
// the mask error (it ends the worker that builds the list).
TAccountMaskList BuildAccountMasks(const std::vector<TUnicodeAccount>& accounts);

// The hidden-share rule: only disk shares are ever searched; a name ending in '$'
// makes a disk share hidden. An Unknown mode takes none.
bool ShareTakenForSearch(const ShareInfo& share, THiddenShareMode hiddenResSearchMethod);

// A worker's access to one host's shares: which shares to search, logging on with
// stored accounts, and dropping the connections it made.
//
// Runs on the worker's thread; the client's calls are bounded and give up on stop.
class TShareAccess {
public:
    TShareAccess(ShareClient& client, const TAccountMaskList& accountMasks,
                 THiddenShareMode hiddenResSearchMethod);

    // The shares of \\HOST to search, in the order the host reported them; true when
    // there is at least one. A failed listing gives none. Any error raised while
    // listing becomes EKestrovaError "TWorkerThread: EnumHostResources".
    bool EnumHostShares(const QString& host, QStringList& shares);
    // Why the last EnumHostShares gave no shares: code 0 when the host answered (with
    // none to search), else the failed listing's error (ETIMEDOUT: no answer in time).
    const PlatformError& lastListFailure() const { return m_listFailure; }
    // The remarks the last EnumHostShares listing gave, by share name (every share the
    // host listed, taken for the search or not; empty remarks left out).
    const QHash<QString, QString>& shareComments() const { return m_shareComments; }
    // Tries every account whose mask matches the path, in list order, three ways
    // each (password and user; no password and user; password and no user). True
    // at the first connection made, with that account's user name; false and an
    // empty name when none worked or none matched (then nothing is attempted).
    bool LogonTo(const QString& remotePath, QString& userName);
    // Forcibly drops the connection to the path; the outcome is ignored.
    void CancelConnection(const QString& remotePath);

private:
    // One logon attempt, traced with its outcome.
    bool Connect(const QString& remotePath, const std::optional<QString>& user,
                 const std::optional<QString>& password);

    ShareClient& m_client;
    const TAccountMaskList& m_accountMasks;
    const THiddenShareMode m_hiddenResSearchMethod;
    PlatformError m_listFailure;
    QHash<QString, QString> m_shareComments;
};
