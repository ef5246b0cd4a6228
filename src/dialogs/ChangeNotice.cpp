#include "dialogs/ChangeNotice.h"

#include <QMetaObject>

TChangeNotice::TChangeNotice(QObject& context, std::function<void()> handler)
    : m_state(std::make_shared<State>())
{
    m_state->context = &context;
    m_state->handler = std::move(handler);
}

std::function<void()> TChangeNotice::Hook() const
{
    return [state = m_state] {
        // Read first: while a call is queued, changes touch the flag's cache line only to read it.
        if (state->posted.load(std::memory_order_relaxed) || state->posted.exchange(true))
            return;
        QMetaObject::invokeMethod(
            state->context,
            [state] {
                state->posted.store(false);
                state->handler();
            },
            Qt::QueuedConnection);
    };
}
