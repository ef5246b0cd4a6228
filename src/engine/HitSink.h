#pragma once

#include "model/ItemRecord.h"

#include <QString>

// Where a delivered hit goes, on the main thread: the GUI's result model, or a plain
// list in headless runs.
class HitSink {
public:
    virtual ~HitSink() = default;
    // Main thread only. The record already carries its icon index.
    virtual void AppendHit(const TItemRecord& hit) = 0;
};

// Headless sink: appends to a result list the caller owns.
class TItemListHitSink : public HitSink {
public:
    explicit TItemListHitSink(TItemList& list) : m_list(list) {}
    void AppendHit(const TItemRecord& hit) override { m_list.append(hit); }

private:
    TItemList& m_list;
};
