#pragma once

#include "engine/HostSearchContext.h"
#include "engine/MaskLists.h"

#include <functional>
#include <utility>
#include <vector>

// A host-search context that keeps what a walk delivers: the hits in order and every
// activity change. File masks are built from config.FileMasks by UseMasks().
class RecordingSearchContext : public HostSearchContext {
public:
    TThreadConfig config;
    std::vector<TItemRecord> hits;
    std::vector<std::pair<TWorkerActivity, QString>> activities;
    // Called after each hit has been recorded.
    std::function<void(const TItemRecord&)> onHit;

    void UseMasks() { m_fileMasks = BuildFileMasks(config.FileMasks); }

    const TThreadConfig& Config() const override { return config; }
    bool FileNameMatches(const QString& name) const override { return AnyMaskMatches(m_fileMasks, name); }
    void SetActivity(TWorkerActivity kind, const QString& text) override
    {
        activities.emplace_back(kind, text);
    }
    void DeliverHit(const TItemRecord& hit) override
    {
        hits.push_back(hit);
        if (onHit)
            onHit(hit);
    }

    std::vector<QString> HitNames() const
    {
        std::vector<QString> names;
        for (const auto& hit : hits)
            names.push_back(hit.FileName);
        return names;
    }

private:
    TFileMaskList m_fileMasks;
};
