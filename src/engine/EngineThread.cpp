#include "engine/EngineThread.h"

#include "model/Error.h"

#include <condition_variable>
#include <exception>
#include <mutex>

namespace {

// Counts the engine threads between Start and the end of their thread function, so
// a headless run can wait until even self-freeing threads are gone.
struct LiveThreads {
    std::mutex mutex;
    std::condition_variable changed;
    int count = 0;
};

// Never destroyed: a detached thread may still be on its way out when the process ends.
LiveThreads& Live()
{
    static auto* live = new LiveThreads;
    return *live;
}

void ChangeLiveCount(int delta)
{
    auto& live = Live();
    // Notified under the lock, so a waiter that sees the new count also sees the notification done.
    std::lock_guard lock(live.mutex);
    live.count += delta;
    live.changed.notify_all();
}

} // namespace

TEngineThread::TEngineThread(MainThreadDispatcher& dispatcher) : m_dispatcher(dispatcher) {}

TEngineThread::~TEngineThread()
{
    // An owner that deletes a thread it never waited for still must not leave it running.
    if (m_thread.joinable())
        m_thread.join();
}

void TEngineThread::Start()
{
    if (m_started)
        RaiseError(QStringLiteral("Thread already started"));
    m_started = true;
    const bool selfFreeing = FreeOnTerminate;
    ChangeLiveCount(+1);
    std::thread thread;
    try {
        thread = std::thread([this] { Run(); });
    } catch (...) {
        m_started = false;
        ChangeLiveCount(-1);
        throw;
    }
    // A self-freeing thread may already be gone once the thread runs: touch nothing after this.
    if (selfFreeing)
        thread.detach();
    else
        m_thread = std::move(thread);
}

int TEngineThread::WaitFor()
{
    if (FreeOnTerminate)
        RaiseError(QStringLiteral("Cannot wait for a thread that frees itself"));
    if (m_thread.joinable())
        m_thread.join();
    return ReturnValue();
}

void TEngineThread::Synchronize(const std::function<void()>& fn)
{
    m_dispatcher.synchronize(fn);
}

void TEngineThread::Run()
{
    try {
        Execute();
    } catch (const std::exception& error) {
        m_fatalMessage = ExceptionMessage(error);
    } catch (...) {
        m_fatalMessage = QStringLiteral("Unknown exception");
    }
    m_finished.store(true);
    if (OnTerminate) {
        try {
            m_dispatcher.synchronize([this] { OnTerminate(*this); });
        } catch (const std::exception& error) {
            if (m_fatalMessage.isEmpty())
                m_fatalMessage = ExceptionMessage(error);
        }
    }
    if (FreeOnTerminate)
        delete this;
    ChangeLiveCount(-1);
}

int TEngineThread::LiveCount()
{
    auto& live = Live();
    std::lock_guard lock(live.mutex);
    return live.count;
}

bool TEngineThread::WaitForAllEnded(std::chrono::milliseconds timeout)
{
    auto& live = Live();
    std::unique_lock lock(live.mutex);
    return live.changed.wait_for(lock, timeout, [&] { return live.count == 0; });
}
