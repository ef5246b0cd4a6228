#pragma once

#include <deque>
#include <mutex>
#include <vector>

// A list and a queue that carry their own re-entrant lock. The operations do not
// lock by themselves: every user of a shared instance brackets its accesses with
// Lock()/Unlock() (or a LockGuard), so that a sequence of operations is atomic.
template <typename T>
class TLockList {
public:
    void Lock() { m_lock.lock(); }
    void Unlock() { m_lock.unlock(); }

    int Count() const { return static_cast<int>(m_items.size()); }
    const T& operator[](int index) const { return m_items[static_cast<size_t>(index)]; }
    T& operator[](int index) { return m_items[static_cast<size_t>(index)]; }
    void Add(const T& item) { m_items.push_back(item); }
    void Add(T&& item) { m_items.push_back(std::move(item)); }
    // Removes the first element equal to item; no effect if absent.
    void Remove(const T& item)
    {
        for (auto it = m_items.begin(); it != m_items.end(); ++it) {
            if (*it == item) {
                m_items.erase(it);
                return;
            }
        }
    }
    void Clear() { m_items.clear(); }
    auto begin() const { return m_items.begin(); }
    auto end() const { return m_items.end(); }

private:
    std::recursive_mutex m_lock;
    std::vector<T> m_items;
};

template <typename T>
class TLockQueue {
public:
    void Lock() { m_lock.lock(); }
    void Unlock() { m_lock.unlock(); }

    int Count() const { return static_cast<int>(m_items.size()); }
    void Enqueue(const T& item) { m_items.push_back(item); }
    // Precondition: Count() > 0.
    T Dequeue()
    {
        T item = std::move(m_items.front());
        m_items.pop_front();
        return item;
    }
    void Clear() { m_items.clear(); }

private:
    std::recursive_mutex m_lock;
    std::deque<T> m_items;
};

// Holds a container's lock for a scope, so that an exception never leaves it held.
template <typename Container>
class LockGuard {
public:
    explicit LockGuard(Container& container) : m_container(container) { m_container.Lock(); }
    ~LockGuard() { m_container.Unlock(); }
    LockGuard(const LockGuard&) = delete;
    LockGuard& operator=(const LockGuard&) = delete;

private:
    Container& m_container;
};
