#include "support/ScriptedSearchEngine.h"

#include "model/StopFlag.h"

TScriptedSearchEngine::~TScriptedSearchEngine()
{
    StopFlag.store(1);
    join();
}

void TScriptedSearchEngine::start(const TThreadConfig& config, std::function<void()> onEnded)
{
    join();
    configs.push_back(config);
    m_running = true;
    m_thread = std::thread([this, onEnded = std::move(onEnded)] {
        for (const TItemRecord& hit : hits) {
            if (StopRequested())
                break;
            m_dispatcher.synchronize([&] {
                if (deliver)
                    deliver(hit);
            });
            if (pause.count() > 0)
                std::this_thread::sleep_for(pause);
        }
        while (holdAfterHits && !StopRequested())
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        m_running = false;
        m_dispatcher.synchronize(onEnded);
    });
}

void TScriptedSearchEngine::requestStop()
{
    ++stopRequests;
    StopFlag.store(1);
}

void TScriptedSearchEngine::join()
{
    if (m_thread.joinable())
        m_thread.join();
}
