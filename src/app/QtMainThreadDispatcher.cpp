#include "app/QtMainThreadDispatcher.h"

#include "engine/HandOverPoll.h"

#include <QMetaObject>
#include <QTextStream>
#include <chrono>

namespace {

// How long the main thread stays with a stream of calls before the event loop gets a
// turn, and how long it waits within that time for the next call.
constexpr auto kSlice = std::chrono::milliseconds(8);
constexpr auto kNextCallWait = std::chrono::microseconds(300);

} // namespace

TQtMainThreadDispatcher::TQtMainThreadDispatcher(QObject* parent)
    : QObject(parent), m_mainThread(std::this_thread::get_id())
{
}

TQtMainThreadDispatcher::~TQtMainThreadDispatcher()
{
    // Whoever still waits must not wait forever: run what is left.
    runPending();
}

void TQtMainThreadDispatcher::synchronize(const std::function<void()>& fn)
{
    if (isMainThread()) {
        fn();
        return;
    }
    auto call = std::make_shared<Call>();
    call->fn = fn;
    call->synchronous = true;
    enqueue(call);
    call->done.wait(false, std::memory_order_acquire);
    if (call->error)
        std::rethrow_exception(call->error);
}

void TQtMainThreadDispatcher::post(std::function<void()> fn)
{
    auto call = std::make_shared<Call>();
    call->fn = std::move(fn);
    enqueue(call);
}

void TQtMainThreadDispatcher::enqueue(const std::shared_ptr<Call>& call)
{
    bool postEvent = false;
    {
        std::lock_guard lock(m_mutex);
        m_calls.push_back(call);
        m_callQueued.store(true, std::memory_order_release);
        if (!m_eventPosted) {
            m_eventPosted = true;
            postEvent = true;
        }
    }
    m_queued.notify_one();
    if (postEvent)
        postRunPending();
}

int TQtMainThreadDispatcher::runPending()
{
    const auto deadline = std::chrono::steady_clock::now() + kSlice;
    int ran = 0;
    std::unique_lock lock(m_mutex);
    // This event has started: calls queued from now on need an event of their own.
    m_eventPosted = false;
    for (;;) {
        if (m_calls.empty()) {
            lock.unlock();
            PollBriefly([this] { return m_callQueued.load(std::memory_order_acquire); });
            lock.lock();
            if (m_calls.empty() &&
                !m_queued.wait_for(lock, kNextCallWait, [this] { return !m_calls.empty(); }))
                break;
        }
        // One call at a time off the shared queue: a call that opens a nested event loop
        // (an error box waiting for the user) leaves the calls behind it where that loop's
        // event finds them, so other workers' deliveries and ends go on meanwhile.
        std::shared_ptr<Call> call = std::move(m_calls.front());
        m_calls.pop_front();
        const bool behind = !m_calls.empty();
        m_callQueued.store(behind, std::memory_order_relaxed);
        const bool postEvent = behind && !m_eventPosted;
        if (postEvent)
            m_eventPosted = true;
        lock.unlock();
        if (postEvent)
            postRunPending();
        ++ran;
        runCall(*call);
        lock.lock();
        if (std::chrono::steady_clock::now() >= deadline)
            break;
    }
    const bool postEvent = !m_calls.empty() && !m_eventPosted;
    if (postEvent)
        m_eventPosted = true;
    lock.unlock();
    if (postEvent)
        postRunPending();
    return ran;
}

void TQtMainThreadDispatcher::postRunPending()
{
    QMetaObject::invokeMethod(
        this, [this] { runPending(); }, Qt::QueuedConnection);
}

void TQtMainThreadDispatcher::runCall(Call& call)
{
    try {
        call.fn();
    } catch (...) {
        if (call.synchronous)
            call.error = std::current_exception();
        else
            QTextStream(stderr) << "Kestrova: a call from an engine thread failed" << Qt::endl;
    }
    if (call.synchronous) {
        call.done.store(true, std::memory_order_release);
        call.done.notify_one();
    }
}
