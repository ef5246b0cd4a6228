#pragma once

#include "app/SearchEngineLink.h"
#include "engine/ports/MainThreadDispatcher.h"
#include "model/ItemRecord.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>
#include <vector>

// A search engine for window tests: a thread that delivers the scripted hits through
// the dispatcher (each delivery waits for the main thread), stops
// between hits when its session's stop is set, and then ends the search on the main thread.
class TScriptedSearchEngine : public TSearchEngineLink {
public:
    explicit TScriptedSearchEngine(MainThreadDispatcher& dispatcher) : m_dispatcher(dispatcher) {}
    ~TScriptedSearchEngine() override;

    std::shared_ptr<TSearchSession> start(const TThreadConfig& config,
                                          std::function<void()> onEnded) override;
    void requestStop() override;
    int runningWorkers() override { return m_running.load() ? 1 : 0; }

    // Joins the last search's thread (after it has ended).
    void join();

    std::vector<TItemRecord> hits;
    std::chrono::milliseconds pause{0};              // between two hits
    std::function<void(const TItemRecord&)> deliver; // main thread: where a hit goes
    bool holdAfterHits = false;                      // keep running after the hits until stopped
    std::vector<TThreadConfig> configs;              // every configuration a search started with
    int stopRequests = 0;

private:
    MainThreadDispatcher& m_dispatcher;
    std::thread m_thread;
    std::atomic<bool> m_running{false};
    std::shared_ptr<TSearchSession> m_session; // the last search's
};
