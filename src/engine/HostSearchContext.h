#pragma once

#include "engine/SearchLog.h"
#include "engine/ShareRights.h"
#include "engine/WorkerActivity.h"
#include "model/ItemRecord.h"
#include "model/ThreadConfig.h"

#include <QString>
#include <cstdint>
#include <stop_token>

// What a per-host search (the share walk, the FTP walk) needs from its worker.
// All calls run on the worker's thread.
class HostSearchContext {
public:
    virtual ~HostSearchContext() = default;
    virtual const TThreadConfig& Config() const = 0;
    // Some mask of the worker's file-mask list matches the entry name.
    virtual bool FileNameMatches(const QString& name) const = 0;
    virtual void SetActivity(TWorkerActivity kind, const QString& text) = 0;
    // Hands the hit on to the main thread, which appends it later in delivery order;
    // returns at once unless too many hits are pending (see TPendingHits).
    virtual void DeliverHit(const TItemRecord& hit) = 0;
    // A hit whose hand-over may wait for the next HandOverHeldHits, so that the hits of
    // a listing reach the main thread together (one wake-up per batch, not per hit).
    // A walk calls HandOverHeldHits before anything that may wait (a listing, opening a
    // file) and when it ends. By default a hit is delivered at once.
    virtual void HoldHit(const TItemRecord& hit) { DeliverHit(hit); }
    virtual void HandOverHeldHits() {}
    // The search's stop request: walks test it before every entry.
    virtual std::stop_token StopToken() const = 0;
    // The search's log.
    virtual void AddLogEntry(TSearchLogKind kind, const QString& text) = 0;
    // For the per-host progress: how far the logon reached into a share (path
    // \\HOST\share; error: why its top folder could not be listed), and the bytes the
    // content test read. Contexts that keep no progress ignore them.
    virtual void ShareReached(const QString& /*sharePath*/, TShareRights /*rights*/, const QString& /*error*/)
    {
    }
    virtual void CountBytesSearched(int64_t /*bytes*/) {}
};
