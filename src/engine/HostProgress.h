#pragma once

#include "engine/LockContainers.h"
#include "engine/ShareRights.h"
#include "engine/ports/ByteSource.h"

#include <QHash>
#include <QString>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

// Where one host of a search stands. The first four are on the way; the rest are ends.
enum class THostState {
    Waiting,       // known (listed, browsed or answered a probe), not yet taken by a worker
    Probing,       // an address being checked, or the worker connecting to the host
    ListingShares, // asking the host for its shares
    Searching,     // walking its shares or its FTP server
    Done,          // searched to the end (or as far as the stop let it)
    NoAnswer,      // the address did not answer the probe
    NoSmb,         // it answered, but not as an SMB server
    AccessDenied,  // the host or a share refused the logon (the detail names the share)
    TimedOut,      // no answer in time while listing the shares
};

// The end state of a host whose share list could not be had, from the listing's error
// code (0: the host answered, with no share to search: Done).
THostState ShareListFailureState(int code);

// Text of a state for the hosts table and the exports ("searching", "no SMB", ...).
QString HostStateText(THostState state);
bool HostStateIsFinal(THostState state);

// One share of a host as far as the search's logon reached it.
struct TShareSummary {
    QString Name;
    // ShareRightsText(Rights): "READ" when the search could list the share's top
    // folder, "READ/WRITE" when the share client also found that the logon may write
    // there (ShareClient::writeAccess; nothing is written), "NO ACCESS" when it could
    // not be listed.
    QString Access;
    QString Comment; // the share's remark from the host's share list
    QString Error;   // why there is no access (the server's error), else empty
    TShareRights Rights = TShareRights::None;
};

struct THostProgressLine {
    QString Host; // as the search names it: \\NAME or \\address
    THostState State = THostState::Waiting;
    QString Detail; // the share refused, or the error of an end state
    int64_t Hits = 0;
    int64_t BytesSearched = 0;
    int64_t ElapsedMs = 0; // from the first step to the end state (or to now)
    std::vector<TShareSummary> Shares;
};

struct TProgressSummary {
    int HostsKnown = 0;
    int HostsDone = 0; // in an end state
    int64_t Hits = 0;
    int Errors = 0; // hosts that ended without being searched (no answer, no SMB, denied, timed out)
    int64_t BytesSearched = 0;
    int64_t ElapsedMs = 0; // since the tracker was made (the search's start)
};

// The per-host progress of one search, owned by its session. The engine's threads
// report each host's steps (queue thread: known, probing, no answer; worker: probing,
// listing shares, searching, the end; walks: shares, hits, bytes read for the content
// test); the window reads lines and the summary. Thread-safe: every call takes the
// tracker's own lock, briefly, and takes no other lock inside it.
//
// Change notification: each listener's handler (SetOnChange) runs after every change
// of a host's state or of the host list, without the lock held, on the reporting
// thread. Several windows follow one search at once (the status panel, the Hosts
// view), so every listener keeps its own handler. Hits and bytes change too often for
// a notice each; readers pick them up with the next notice or their own refresh.
class THostProgress {
public:
    using Clock = std::chrono::steady_clock;

    THostProgress();
    THostProgress(const THostProgress&) = delete;
    THostProgress& operator=(const THostProgress&) = delete;

    // A host joins the list as Waiting; a known one keeps its line (and a final state).
    void HostKnown(const QString& host);
    // The host's line under a new name (a probed address that resolved to a name).
    void HostRenamed(const QString& from, const QString& to);
    // A step or an end; the host joins the list if it was not known. The clock of a
    // host starts at its first step other than Waiting and stops at its end.
    void SetState(const QString& host, THostState state, const QString& detail = {});
    // The worker is through with the host: Done, unless an end state was set already or
    // every share it reached refused it (AccessDenied, naming the first such share).
    void HostFinished(const QString& host);
    // The outcome of one share's top-folder listing (and write check), with the share's
    // remark from the share list and, without access, the listing's error.
    void ShareReached(const QString& host, const QString& share, TShareRights rights, const QString& comment,
                      const QString& error);
    // The same without a remark or a write check: readable is READ.
    void ShareReached(const QString& host, const QString& share, bool readable, const QString& error = {});
    void HitFound(const QString& host, int count = 1);
    void BytesSearched(const QString& host, int64_t bytes);

    std::vector<THostProgressLine> Lines() const;
    TProgressSummary Summary() const;

    // The listener's handler; an empty one removes the listener. Returns only once no
    // call of the listener's earlier handler runs.
    void SetOnChange(const void* listener, std::function<void()> onChange);

private:
    struct Entry {
        THostProgressLine line;
        Clock::time_point started{};
        bool clockRunning = false;
    };
    Entry& entryFor(const QString& host); // under m_mutex
    void notify();

    const Clock::time_point m_start;
    mutable std::mutex m_mutex;
    std::vector<Entry> m_entries;
    QHash<QString, size_t> m_index;
    struct Listener {
        const void* owner;
        std::function<void()> onChange;
    };
    TSynchronized<std::vector<Listener>> m_listeners;
};

// A byte source that tells how many bytes each read returned (the content test's reads).
class TCountingByteSource : public ByteSource {
public:
    TCountingByteSource(ByteSource& inner, std::function<void(int64_t)> counted)
        : m_inner(inner), m_counted(std::move(counted))
    {
    }
    int64_t size() override { return m_inner.size(); }
    int64_t read(int64_t offset, char* buffer, int64_t length) override;

private:
    ByteSource& m_inner;
    std::function<void(int64_t)> m_counted;
};
