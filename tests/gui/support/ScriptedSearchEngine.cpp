#include "support/ScriptedSearchEngine.h"

#include "engine/SearchSession.h"

TScriptedSearchEngine::~TScriptedSearchEngine()
{
    if (m_session)
        m_session->RequestStop();
    join();
}

std::shared_ptr<TSearchSession> TScriptedSearchEngine::start(const TThreadConfig& config,
                                                             std::function<void()> onEnded)
{
    join();
    configs.push_back(config);
    m_running = true;
    m_session = std::make_shared<TSearchSession>();
    m_thread = std::thread([this, session = m_session, onEnded = std::move(onEnded)] {
        for (const TItemRecord& hit : hits) {
            if (session->StopRequested())
                break;
            m_dispatcher.synchronize([&] {
                if (deliver)
                    deliver(hit);
            });
            if (pause.count() > 0)
                std::this_thread::sleep_for(pause);
        }
        while (holdAfterHits && !session->StopRequested())
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        m_running = false;
        m_dispatcher.synchronize(onEnded);
    });
    return m_session;
}

void TScriptedSearchEngine::requestStop()
{
    ++stopRequests;
    if (m_session)
        m_session->RequestStop();
}

void TScriptedSearchEngine::join()
{
    if (m_thread.joinable())
        m_thread.join();
}
