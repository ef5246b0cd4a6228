#include "engine/HostProgress.h"

#include <algorithm>
#include <cerrno>

namespace {

int64_t MillisecondsBetween(THostProgress::Clock::time_point from, THostProgress::Clock::time_point to)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(to - from).count();
}

} // namespace

// Exact text: the per-host states in the Hosts view and its exports, which users'
// scripts read; the host progress and Hosts view tests compare them.
QString HostStateText(THostState state)
{
    switch (state) {
    case THostState::Waiting:
        return QStringLiteral("waiting");
    case THostState::Probing:
        return QStringLiteral("probing");
    case THostState::ListingShares:
        return QStringLiteral("listing shares");
    case THostState::Searching:
        return QStringLiteral("searching");
    case THostState::Done:
        return QStringLiteral("done");
    case THostState::NoAnswer:
        return QStringLiteral("no answer");
    case THostState::NoSmb:
        return QStringLiteral("no SMB");
    case THostState::AccessDenied:
        return QStringLiteral("access denied");
    case THostState::TimedOut:
        return QStringLiteral("timed out");
    }
    return {};
}

THostState ShareListFailureState(int code)
{
    switch (code) {
    case 0:
        return THostState::Done; // it answered: nothing there to search
    case ETIMEDOUT:
        return THostState::TimedOut;
    case EACCES:
    case EPERM:
        return THostState::AccessDenied;
    case EHOSTUNREACH:
    case ENETUNREACH:
    case EHOSTDOWN:
        return THostState::NoAnswer;
    default:
        return THostState::NoSmb; // refused, reset, not an SMB server
    }
}

bool HostStateIsFinal(THostState state)
{
    return state >= THostState::Done;
}

THostProgress::THostProgress() : m_start(Clock::now()) {}

THostProgress::Entry& THostProgress::entryFor(const QString& host)
{
    if (const auto found = m_index.constFind(host); found != m_index.constEnd())
        return m_entries[found.value()];
    m_index.insert(host, m_entries.size());
    Entry& entry = m_entries.emplace_back();
    entry.line.Host = host;
    return entry;
}

void THostProgress::HostKnown(const QString& host)
{
    {
        std::lock_guard lock(m_mutex);
        entryFor(host);
    }
    notify();
}

void THostProgress::HostRenamed(const QString& from, const QString& to)
{
    {
        std::lock_guard lock(m_mutex);
        const auto found = m_index.constFind(from);
        if (found == m_index.constEnd() || from == to || m_index.contains(to))
            return;
        const size_t position = found.value();
        m_index.erase(found);
        m_index.insert(to, position);
        m_entries[position].line.Host = to;
    }
    notify();
}

void THostProgress::SetState(const QString& host, THostState state, const QString& detail)
{
    {
        std::lock_guard lock(m_mutex);
        Entry& entry = entryFor(host);
        const Clock::time_point now = Clock::now();
        if (state != THostState::Waiting && !entry.clockRunning && !HostStateIsFinal(entry.line.State)) {
            entry.started = now;
            entry.clockRunning = true;
        }
        if (HostStateIsFinal(state) && entry.clockRunning) {
            entry.line.ElapsedMs = MillisecondsBetween(entry.started, now);
            entry.clockRunning = false;
        }
        entry.line.State = state;
        entry.line.Detail = detail;
    }
    notify();
}

void THostProgress::HostFinished(const QString& host)
{
    THostState state = THostState::Done;
    QString detail;
    {
        std::lock_guard lock(m_mutex);
        const THostProgressLine& line = entryFor(host).line;
        if (HostStateIsFinal(line.State))
            return;
        const auto refused =
            std::find_if(line.Shares.begin(), line.Shares.end(),
                         [](const TShareSummary& share) { return share.Rights == TShareRights::None; });
        const bool anyRead =
            std::any_of(line.Shares.begin(), line.Shares.end(),
                        [](const TShareSummary& share) { return share.Rights != TShareRights::None; });
        if (refused != line.Shares.end()) {
            detail = refused->Name;
            if (!anyRead)
                state = THostState::AccessDenied;
        }
    }
    SetState(host, state, detail);
}

void THostProgress::ShareReached(const QString& host, const QString& share, TShareRights rights,
                                 const QString& comment, const QString& error)
{
    std::lock_guard lock(m_mutex);
    entryFor(host).line.Shares.push_back({share, ShareRightsText(rights), comment, error, rights});
}

void THostProgress::ShareReached(const QString& host, const QString& share, bool readable,
                                 const QString& error)
{
    ShareReached(host, share, readable ? TShareRights::Read : TShareRights::None, {}, error);
}

void THostProgress::HitFound(const QString& host, int count)
{
    std::lock_guard lock(m_mutex);
    entryFor(host).line.Hits += count;
}

void THostProgress::BytesSearched(const QString& host, int64_t bytes)
{
    if (bytes <= 0)
        return;
    std::lock_guard lock(m_mutex);
    entryFor(host).line.BytesSearched += bytes;
}

std::vector<THostProgressLine> THostProgress::Lines() const
{
    std::lock_guard lock(m_mutex);
    const Clock::time_point now = Clock::now();
    std::vector<THostProgressLine> lines;
    lines.reserve(m_entries.size());
    for (const Entry& entry : m_entries) {
        lines.push_back(entry.line);
        if (entry.clockRunning)
            lines.back().ElapsedMs = MillisecondsBetween(entry.started, now);
    }
    return lines;
}

TProgressSummary THostProgress::Summary() const
{
    std::lock_guard lock(m_mutex);
    TProgressSummary summary;
    summary.HostsKnown = static_cast<int>(m_entries.size());
    for (const Entry& entry : m_entries) {
        const THostState state = entry.line.State;
        summary.HostsDone += HostStateIsFinal(state) ? 1 : 0;
        summary.Errors += HostStateIsFinal(state) && state != THostState::Done ? 1 : 0;
        summary.Hits += entry.line.Hits;
        summary.BytesSearched += entry.line.BytesSearched;
    }
    summary.ElapsedMs = MillisecondsBetween(m_start, Clock::now());
    return summary;
}

void THostProgress::SetOnChange(const void* listener, std::function<void()> onChange)
{
    m_listeners.withLock([&](std::vector<Listener>& listeners) {
        std::erase_if(listeners, [listener](const Listener& known) { return known.owner == listener; });
        if (onChange)
            listeners.push_back({listener, std::move(onChange)});
    });
}

void THostProgress::notify()
{
    // Under the list's own lock: SetOnChange returns only once no call of an old handler runs.
    m_listeners.withLock([](const std::vector<Listener>& listeners) {
        for (const Listener& listener : listeners)
            listener.onChange();
    });
}

int64_t TCountingByteSource::read(int64_t offset, char* buffer, int64_t length)
{
    const int64_t got = m_inner.read(offset, buffer, length);
    if (got > 0)
        m_counted(got);
    return got;
}
