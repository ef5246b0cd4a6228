#pragma once

#include <mutex>
#include <utility>

// A value that is reached only under its own lock: withLock runs a function on the
// value while the lock is held, snapshot copies it out. There is no other way in,
// so no access can forget the lock. The lock is not re-entrant: a function given to
// withLock must not call back into the same container.
//
// Nesting rule of the engine: the worker list's lock may be held while a worker's
// own activity lock is taken (the thread view reads every worker's activity that
// way); never the other way round, and no other lock is taken inside either.
template <typename T> class TSynchronized {
public:
    TSynchronized() = default;
    explicit TSynchronized(T value) : m_value(std::move(value)) {}
    TSynchronized(const TSynchronized&) = delete;
    TSynchronized& operator=(const TSynchronized&) = delete;

    template <typename Fn> decltype(auto) withLock(Fn&& fn)
    {
        std::lock_guard lock(m_mutex);
        return std::forward<Fn>(fn)(m_value);
    }
    template <typename Fn> decltype(auto) withLock(Fn&& fn) const
    {
        std::lock_guard lock(m_mutex);
        return std::forward<Fn>(fn)(m_value);
    }
    T snapshot() const
    {
        std::lock_guard lock(m_mutex);
        return m_value;
    }

private:
    mutable std::mutex m_mutex;
    T m_value{};
};
