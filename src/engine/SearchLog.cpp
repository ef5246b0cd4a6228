#include "engine/SearchLog.h"

TEngineSearchLog SearchLog;

void TEngineSearchLog::AddEntry(TSearchLogKind kind, const QString& text)
{
    TSearchLogEntry entry{kind, text};
    LockGuard guard(*this);
    Add(std::move(entry));
    Changed = true;
}

void TEngineSearchLog::ClearEntries()
{
    LockGuard guard(*this);
    Clear();
    Changed = true;
    Rebuild = true;
}

std::vector<TSearchLogEntry> TEngineSearchLog::Snapshot()
{
    LockGuard guard(*this);
    return {begin(), end()};
}
