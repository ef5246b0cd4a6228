#pragma once

#include "engine/EngineThread.h"
#include "engine/HitIconProvider.h"
#include "engine/HostSearchContext.h"
#include "engine/MaskLists.h"
#include "engine/SearchServices.h"
#include "engine/ShareAccess.h"
#include "model/ThreadConfig.h"

#include <QHash>
#include <QString>
#include <mutex>

class ShareClient;

// Searches one host: logs on, lists the shares allowed by the hidden-share rule,
// walks each share, then (FTP modes 1 and 2) searches the host's FTP server through
// the FTP hook. Every hit goes on the session's pending list (HitDelivery.h); the
// main thread takes the hits in batches, so the worker does not wait for the window
// (unless the pending list is full). The thread view reads the worker's activity.
//
// Threading: the dequeue thread creates, registers and starts it; it frees itself.
// GetActivity may be called from any thread (the thread view holds the worker
// list's lock while it calls it). The session's stop is tested before every share
// and, by the walk, before every entry, and ends a wait on a full pending list; its
// log and account copy are the worker's. Hits still pending when the worker ends are
// delivered by its termination handler (see TDequeueThread).
// services.Session must be set.
class THostProgress;

class TWorkerThread : public TEngineThread, public HostSearchContext {
public:
    TWorkerThread(const QString& host, const TThreadConfig& config, const TSearchServices& services);
    ~TWorkerThread() override;

    const QString& Host() const { return m_host; }
    void GetActivity(TWorkerActivity& kind, QString& text) const;

    // HostSearchContext
    const TThreadConfig& Config() const override { return m_config; }
    bool FileNameMatches(const QString& name) const override;
    void SetActivity(TWorkerActivity kind, const QString& text) override;
    void DeliverHit(const TItemRecord& hit) override;
    void HoldHit(const TItemRecord& hit) override;
    void HandOverHeldHits() override;
    std::stop_token StopToken() const override;
    void AddLogEntry(TSearchLogKind kind, const QString& text) override;
    void ShareReached(const QString& sharePath, TShareRights rights, const QString& error) override;
    void CountBytesSearched(int64_t bytes) override;

protected:
    void Execute() override;

private:
    THostProgress& progress() const;
    void SearchShares();

    TAccountMaskList m_accountMasks;
    TWorkerActivity m_activityKind = waConnecting;
    QString m_activityText;
    mutable std::mutex m_lock;
    TFileMaskList m_fileMasks;
    TFileMaskList m_folderMasks;
    std::vector<TItemRecord> m_heldHits;     // HoldHit's hits, in order, not yet queued
    QHash<QString, QString> m_shareComments; // share name -> its remark in the host's share list
    const TThreadConfig m_config;
    const QString m_host;
    const TSearchServices m_services;
};

// The host string of the FTP part: \\HOST becomes ftp://HOST.
QString FtpActivityText(const QString& host);
// The icon lookup of a hit: folders ask for the program's own folder (a local
// folder, so no network access), FTP files for their display name by extension
// only, every other hit for its own path.
THitIconRequest IconRequestFor(const TItemRecord& hit);
