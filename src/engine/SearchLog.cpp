#include "engine/SearchLog.h"

void TEngineSearchLog::AddEntry(TSearchLogKind kind, const QString& text)
{
    TSearchLogEntry entry{kind, text};
    m_state.withLock([&](TSearchLogState& state) {
        state.Entries.push_back(std::move(entry));
        state.Changed = true;
    });
    NotifyChange();
}

void TEngineSearchLog::ClearEntries()
{
    m_state.withLock([](TSearchLogState& state) {
        state.Entries.clear();
        state.Changed = true;
        state.Rebuild = true;
    });
    NotifyChange();
}

std::vector<TSearchLogEntry> TEngineSearchLog::Snapshot() const
{
    return m_state.withLock([](const TSearchLogState& state) { return state.Entries; });
}

int TEngineSearchLog::Count() const
{
    return m_state.withLock(
        [](const TSearchLogState& state) { return static_cast<int>(state.Entries.size()); });
}

void TEngineSearchLog::SetOnChange(std::function<void()> onChange)
{
    m_onChange.withLock([&](std::function<void()>& handler) { handler = std::move(onChange); });
}

void TEngineSearchLog::NotifyChange()
{
    // Called under the handler's own lock, so a handler being replaced is never
    // called after SetOnChange returned.
    m_onChange.withLock([](const std::function<void()>& handler) {
        if (handler)
            handler();
    });
}
