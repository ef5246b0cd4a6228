#pragma once

#include "engine/ports/MainThreadDispatcher.h"

#include <QString>
#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

// The base of every engine thread (queue, dequeue, worker). A thread is created
// suspended: the owner sets FreeOnTerminate and OnTerminate, then calls Start.
// When Execute returns, the termination handler runs on the main thread through
// the dispatcher while this thread waits for it; a self-freeing thread then deletes
// itself on its own thread, so the handler is the last moment its owner may touch it.
//
// Threading contract: Start, WaitFor and the destructor belong to the owner. WaitFor
// must not be called on the main thread for a thread that has a termination handler
// (the handler needs the main thread). An exception escaping Execute is caught and
// kept as FatalMessage; it never ends the process.
class TEngineThread {
public:
    explicit TEngineThread(MainThreadDispatcher& dispatcher);
    virtual ~TEngineThread();
    TEngineThread(const TEngineThread&) = delete;
    TEngineThread& operator=(const TEngineThread&) = delete;

    // Set before Start. A self-freeing thread must not be waited for or deleted by its owner.
    bool FreeOnTerminate = false;
    // Runs on the main thread after Execute, while the thread waits for it.
    std::function<void(TEngineThread&)> OnTerminate;

    void Start();
    // Waits until Execute and the termination handler have run; returns ReturnValue.
    int WaitFor();

    int ReturnValue() const { return m_returnValue.load(); }
    bool Finished() const { return m_finished.load(); }
    // The message of an exception that escaped Execute; empty if none did.
    QString FatalMessage() const { return m_fatalMessage; }

    // Engine threads alive in the process (started and not yet past their last step).
    static int LiveCount();
    // Waits until no engine thread is alive; false if timeout passed first.
    static bool WaitForAllEnded(std::chrono::milliseconds timeout);

protected:
    virtual void Execute() = 0;
    // Runs fn on the main thread and returns once it has run.
    void Synchronize(const std::function<void()>& fn);
    void SetReturnValue(int value) { m_returnValue.store(value); }
    MainThreadDispatcher& Dispatcher() const { return m_dispatcher; }

private:
    void Run();

    MainThreadDispatcher& m_dispatcher;
    std::thread m_thread;
    std::atomic<int> m_returnValue{0};
    std::atomic<bool> m_finished{false};
    bool m_started = false;
    QString m_fatalMessage; // written by the thread before it finishes, read after WaitFor
};
