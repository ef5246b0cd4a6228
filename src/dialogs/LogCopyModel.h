#pragma once

#include "dialogs/ChangeNotice.h"
#include "engine/SearchLog.h"

#include <QAbstractListModel>
#include <QIcon>
#include <QList>
#include <functional>
#include <memory>

// The log view's own copy of the search log, as a one-column list model ("Event").
// The view reads only this copy, so painting never waits for the search threads;
// synchronize() is the only place that takes the log's lock, and it copies only
// the entries that are new since the last call unless the log was cleared (Rebuild,
// or fewer entries than the copy) or the source now gives another log (a new search
// session), when it copies the whole log again. Main thread only.
//
// Change notification: the model hooks the log it copies from (SetOnChange; moved
// when the source gives another log, removed when the model goes) and emits
// logChanged() on the main thread, coalesced (see TChangeNotice): the owner
// synchronizes then, no timer needed. A new source (a new search) is noticed at the
// next synchronize(); the owner calls it when the session changes.
class TLogCopyModel : public QAbstractListModel {
    Q_OBJECT
public:
    // The log to show now (the running or last search's); null shows an empty list.
    using LogSource = std::function<std::shared_ptr<TEngineSearchLog>()>;

    explicit TLogCopyModel(LogSource source, QObject* parent = nullptr);
    // Always the one log (tests, a single search).
    explicit TLogCopyModel(TEngineSearchLog& log, QObject* parent = nullptr);
    ~TLogCopyModel() override;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Brings the copy up to date when the log's Changed or Rebuild flag is set (or
    // the source gives another log) and clears both flags. Returns true when the copy changed.
    bool synchronize();
    // Sets the log's Rebuild flag (under its lock) and synchronizes: the copy then
    // holds the whole log.
    void rebuild();

    const QList<TSearchLogEntry>& entries() const { return m_entries; }

    // One icon per log kind (info, scope, computer, error); other kinds show none.
    static QIcon KindIcon(TSearchLogKind kind);

Q_SIGNALS:
    // The log copied from has changed since this was last emitted (queued, coalesced).
    void logChanged();

private:
    void follow(std::shared_ptr<TEngineSearchLog> log);

    static constexpr int kKindCount = 4;

    LogSource m_source;
    std::shared_ptr<TEngineSearchLog> m_log; // the log the copy was taken from
    QIcon m_icons[kKindCount];
    QList<TSearchLogEntry> m_entries;
    TChangeNotice m_notice{*this, [this] { Q_EMIT logChanged(); }};
};
