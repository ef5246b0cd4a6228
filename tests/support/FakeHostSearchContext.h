#pragma once

#include "engine/HostSearchContext.h"
#include "engine/MaskLists.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

// A worker stand-in for per-host searches: hits are collected in order, the
// file-mask test is a predicate (every name matches by default), activities are
// recorded.
class FakeHostSearchContext : public HostSearchContext {
public:
    TThreadConfig config;
    std::function<bool(const QString&)> nameMatches = [](const QString&) { return true; };
    // Runs after each hit is recorded (to stop a search after some hits, say).
    std::function<void(const TItemRecord&)> onHit;

    std::vector<TItemRecord> hits;
    // The walk's stop request and log.
    std::stop_source stop;
    TEngineSearchLog log;
    std::vector<std::pair<TWorkerActivity, QString>> activities;
    struct ShareReach {
        QString sharePath;
        TShareRights rights;
        QString error;
        friend bool operator==(const ShareReach&, const ShareReach&) = default;
    };
    std::vector<ShareReach> sharesReached;

    const TThreadConfig& Config() const override { return config; }
    bool FileNameMatches(const QString& name) const override { return nameMatches(name); }
    void SetActivity(TWorkerActivity kind, const QString& text) override
    {
        activities.emplace_back(kind, text);
    }
    void DeliverHit(const TItemRecord& hit) override;
    std::stop_token StopToken() const override { return stop.get_token(); }
    void AddLogEntry(TSearchLogKind kind, const QString& text) override { log.AddEntry(kind, text); }
    void ShareReached(const QString& sharePath, TShareRights rights, const QString& error) override
    {
        sharesReached.push_back({sharePath, rights, error});
    }

    // Tests names the way a worker does: with the masks of a "Search files" box text.
    void useFileMasks(const QString& boxText);

    QStringList hitNames() const;
    QStringList activityTexts() const;

private:
    std::shared_ptr<TFileMaskList> m_masks;
};
