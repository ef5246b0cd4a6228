#include "engine/JobQueue.h"

#include "engine/SearchSignal.h"

TJobQueue::TJobQueue(TSearchSignal& signal) : m_signal(signal) {}

void TJobQueue::EnqueueName(const QString& name)
{
    m_names.withLock([&](std::deque<QString>& names) { names.push_back(name); });
    m_signal.Notify();
}

bool TJobQueue::TryDequeue(QString& name)
{
    return m_names.withLock([&](std::deque<QString>& names) {
        if (names.empty()) {
            name.clear();
            return false;
        }
        name = std::move(names.front());
        names.pop_front();
        return true;
    });
}

void TJobQueue::ClearNames()
{
    m_names.withLock([](std::deque<QString>& names) { names.clear(); });
}

int TJobQueue::PendingCount() const
{
    return m_names.withLock([](const std::deque<QString>& names) { return static_cast<int>(names.size()); });
}
