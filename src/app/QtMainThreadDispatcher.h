#pragma once

#include "engine/ports/MainThreadDispatcher.h"

#include <QObject>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

// The engine's way to the main thread, on the Qt event loop. Calls from engine threads
// are queued; one posted event runs the queued calls in order (first queued, first
// run: a worker's hit wake-ups run before its termination handler). While calls keep
// coming (the hit wake-ups of busy workers, each carrying a batch) the main thread
// stays with them for a short time slice, waiting briefly for the next call instead
// of going back to sleep in the event loop. After the slice the event loop runs
// (painting, timers, input) and the rest follows with the next event.
// synchronize waits for its call; an exception thrown by the call is rethrown in the
// calling thread. Calls also run inside nested event loops (message boxes, the wait
// when the window closes during a search), which the engine's end protocol needs; a
// call that itself opens one (an error box) holds up only its own thread, the calls
// queued behind it run in that loop.
//
// Threading contract: create on the main thread and keep it alive while any engine
// thread may call it; synchronize/post from any thread. The main thread must keep
// its event loop running while an engine thread waits in synchronize.
class TQtMainThreadDispatcher : public QObject, public MainThreadDispatcher {
    Q_OBJECT
public:
    explicit TQtMainThreadDispatcher(QObject* parent = nullptr);
    ~TQtMainThreadDispatcher() override;

    void synchronize(const std::function<void()>& fn) override;
    void post(std::function<void()> fn) override;

    bool isMainThread() const { return std::this_thread::get_id() == m_mainThread; }
    // Runs what is queued now; for tests and for waits that cannot return to the loop.
    int runPending();

private:
    struct Call {
        std::function<void()> fn;
        bool synchronous = false;
        std::exception_ptr error;      // written before done is set
        std::atomic<bool> done{false}; // the waiting thread sleeps on it (no shared lock)
    };

    void enqueue(const std::shared_ptr<Call>& call);
    void postRunPending();
    static void runCall(Call& call);

    const std::thread::id m_mainThread;
    std::mutex m_mutex;
    std::condition_variable m_queued; // wakes the main thread waiting within its slice
    std::deque<std::shared_ptr<Call>> m_calls;
    bool m_eventPosted = false;
    std::atomic<bool> m_callQueued{false}; // m_calls is not empty; polled without the lock
};
