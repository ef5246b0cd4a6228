#pragma once

#include "engine/LockContainers.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

// The in-memory log of what one search did (every search session has its own, so a
// new search starts with an empty one). Any thread may add to it; readers copy what
// they need under the log's lock.
//
// Change notification: the handler set with SetOnChange runs after every addition
// or clearing, on the thread that made it and without the log's lock held; it must
// be quick and must not wait for the main thread (the GUI turns it into a queued
// call). The log view also reads Changed/Rebuild, so that it copies only what is new.
enum class TSearchLogKind : uint8_t {
    Info = 0,
    Scope = 1,
    Computer = 2,
    Error = 3,
};

struct TSearchLogEntry {
    TSearchLogKind Kind = TSearchLogKind::Info;
    QString Text;

    friend bool operator==(const TSearchLogEntry&, const TSearchLogEntry&) = default;
};

// The log's contents as its lock guards them.
struct TSearchLogState {
    std::vector<TSearchLogEntry> Entries;
    // Something was added or removed since the log view last looked.
    bool Changed = false;
    // The log view must discard its copy and copy the whole log again.
    bool Rebuild = false;
};

class TEngineSearchLog {
public:
    void AddEntry(TSearchLogKind kind, const QString& text);
    void ClearEntries();
    // A copy of every entry, taken under the lock.
    std::vector<TSearchLogEntry> Snapshot() const;
    int Count() const;

    // Runs fn on the log's state under its lock (fn must not call back into the log).
    template <typename Fn> decltype(auto) WithLock(Fn&& fn) { return m_state.withLock(std::forward<Fn>(fn)); }

    // Set before the search starts (or from the thread that owns the reader); the
    // handler must stay valid until it is replaced or the log is gone.
    void SetOnChange(std::function<void()> onChange);

private:
    void NotifyChange();

    TSynchronized<TSearchLogState> m_state;
    TSynchronized<std::function<void()>> m_onChange;
};
