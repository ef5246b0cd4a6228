#pragma once

#include "model/ThreadConfig.h"

#include <functional>
#include <memory>

class TSearchSession;

// How the main window runs a search: the engine's queue thread behind a narrow seam,
// so that the window's search control can be tested with a scripted engine.
// Hits reach the window through the hit sink the implementation was given.
class TSearchEngineLink {
public:
    virtual ~TSearchEngineLink() = default;
    // Starts the search (the queue thread) in a new session and returns that session
    // (its log, workers and stop). onEnded runs on the main thread once the search
    // has ended: every host searched or stop honoured, every worker gone.
    virtual std::shared_ptr<TSearchSession> start(const TThreadConfig& config,
                                                  std::function<void()> onEnded) = 0;
    // Asks the running search to stop (its session's stop) and wakes the engine's waits.
    virtual void requestStop() = 0;
    // Workers running now (the thread panel adds one for the queue thread).
    virtual int runningWorkers() = 0;
};
