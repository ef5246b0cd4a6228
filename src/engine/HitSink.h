#pragma once

#include "model/ItemRecord.h"

#include <QString>
#include <vector>

// Where delivered hits go, on the main thread: the GUI's result model, or a plain
// list in headless runs. Hits come in batches (everything pending at one wake-up,
// see HitDelivery.h), in the order the workers delivered them.
class HitSink {
public:
    virtual ~HitSink() = default;
    // Main thread only. Every record already carries its icon index.
    virtual void AppendHits(const std::vector<TItemRecord>& hits) = 0;
};

// Headless sink: appends to a result list the caller owns.
class TItemListHitSink : public HitSink {
public:
    explicit TItemListHitSink(TItemList& list) : m_list(list) {}
    void AppendHits(const std::vector<TItemRecord>& hits) override
    {
        m_list.append(TItemList(hits.begin(), hits.end()));
    }

private:
    TItemList& m_list;
};
