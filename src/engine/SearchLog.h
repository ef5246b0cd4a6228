#pragma once

#include "engine/LockContainers.h"

#include <QString>

#include <cstdint>

// The process-wide, in-memory log of what a search did. Any thread may add to it;
// it is cleared at every search start. Readers take the lock, copy what they need
// and release it.
enum TSearchLogKind : uint8_t {
    lkInfo = 0,
    lkScope = 1,
    lkComputer = 2,
    lkError = 3,
};

struct TSearchLogEntry {
    TSearchLogKind Kind = lkInfo;
    QString Text;

    friend bool operator==(const TSearchLogEntry&, const TSearchLogEntry&) = default;
};

class TEngineSearchLog : public TLockList<TSearchLogEntry> {
public:
    // Something was added or removed since the log view last looked (under the lock).
    bool Changed = false;
    // The log view must discard its copy and copy the whole log again (under the lock).
    bool Rebuild = false;

    void AddEntry(TSearchLogKind kind, const QString& text);
    void ClearEntries();
    // A copy of every entry, taken under the lock.
    std::vector<TSearchLogEntry> Snapshot();
};

extern TEngineSearchLog SearchLog;
