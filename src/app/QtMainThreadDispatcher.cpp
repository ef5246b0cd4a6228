#include "app/QtMainThreadDispatcher.h"

#include <QMetaObject>
#include <QTextStream>

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
    std::unique_lock lock(m_mutex);
    call->finished.wait(lock, [&] { return call->done; });
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
        if (!m_eventPosted) {
            m_eventPosted = true;
            postEvent = true;
        }
    }
    if (postEvent)
        QMetaObject::invokeMethod(this, [this] { runPending(); }, Qt::QueuedConnection);
}

int TQtMainThreadDispatcher::runPending()
{
    std::deque<std::shared_ptr<Call>> calls;
    {
        std::lock_guard lock(m_mutex);
        calls.swap(m_calls);
        m_eventPosted = false;
    }
    for (const std::shared_ptr<Call>& call : calls) {
        try {
            call->fn();
        } catch (...) {
            if (call->synchronous)
                call->error = std::current_exception();
            else
                QTextStream(stderr) << "Kestrova: a call from an engine thread failed" << Qt::endl;
        }
        if (call->synchronous) {
            std::lock_guard lock(m_mutex);
            call->done = true;
            call->finished.notify_one();
        }
    }
    return static_cast<int>(calls.size());
}
