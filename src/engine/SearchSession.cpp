#include "engine/SearchSession.h"

TSearchSession::TSearchSession(const TScopeRoot& root, const TDiscoveryOptions& discovery,
                               std::vector<TUnicodeAccount> accounts)
    : m_root(root), m_discovery(discovery), m_accounts(std::move(accounts))
{
}

void TSearchSession::RequestStop()
{
    m_stop.request_stop();
    m_signal.Notify();
}

std::shared_ptr<TEngineSearchLog> SessionLog(const std::shared_ptr<TSearchSession>& session)
{
    if (!session)
        return {};
    return {session, &session->Log()};
}

std::shared_ptr<TWorkerThreadList> SessionWorkers(const std::shared_ptr<TSearchSession>& session)
{
    if (!session)
        return {};
    return {session, &session->Workers()};
}

std::shared_ptr<THostProgress> SessionProgress(const std::shared_ptr<TSearchSession>& session)
{
    if (!session)
        return {};
    return {session, &session->Progress()};
}
