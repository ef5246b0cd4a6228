#include "app/RunSummary.h"

#include "engine/SearchSession.h"

#include <algorithm>

namespace {

// Exact text: the summary and progress lines of an unattended run go to the error
// output, where users' scripts parse them; the script-output tests compare them.
QString Counted(long long count, const char* one, const char* many)
{
    return QStringLiteral("%1 %2").arg(count).arg(QLatin1StringView(count == 1 ? one : many));
}

QString CountsText(const TRunSummary& summary)
{
    return Counted(summary.hits, "hit", "hits") + QStringLiteral(", ") +
           Counted(summary.hosts, "host", "hosts") + QStringLiteral(", ") +
           Counted(summary.errors, "error", "errors");
}

} // namespace

QString RunSummaryLine(const TRunSummary& summary)
{
    return QStringLiteral("Kestrova: ") + CountsText(summary) +
           QStringLiteral(", %1 s").arg(static_cast<double>(summary.elapsedMs) / 1000.0, 0, 'f', 1);
}

QString RunProgressLine(const TRunSummary& summary)
{
    const long long seconds = summary.elapsedMs / 1000;
    return QStringLiteral("Kestrova: searching... ") + CountsText(summary) +
           QStringLiteral(", %1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

TRunSummary TRunCounter::collect(TSearchSession* session, long long hits, long long elapsedMs)
{
    if (session != m_session) {
        m_session = session;
        m_scanned = 0;
        m_errors = 0;
    }
    if (!session)
        return {hits, 0, 0, elapsedMs};
    {
        session->Log().WithLock([this](const TSearchLogState& state) {
            if (state.Entries.size() < m_scanned) { // cleared: count again
                m_scanned = 0;
                m_errors = 0;
            }
            for (; m_scanned < state.Entries.size(); ++m_scanned) {
                if (state.Entries[m_scanned].Kind == TSearchLogKind::Error)
                    ++m_errors;
            }
        });
    }
    // Every host the search took on: named, from a list or found in an address range.
    return {hits, session->Progress().Summary().HostsKnown, m_errors, elapsedMs};
}

TRunReporter::TRunReporter(Sources sources, bool live, int intervalMs, QObject* parent)
    : QObject(parent), m_sources(std::move(sources)), m_live(live)
{
    m_timer.setInterval(intervalMs);
    connect(&m_timer, &QTimer::timeout, this, &TRunReporter::showProgress);
}

TRunSummary TRunReporter::current()
{
    const std::shared_ptr<TSearchSession> session = m_sources.session();
    return m_counter.collect(session.get(), m_sources.hits(), m_clock.isValid() ? m_clock.elapsed() : 0);
}

void TRunReporter::searchStarted()
{
    m_counter = TRunCounter();
    m_clock.start();
    if (m_live)
        m_timer.start();
}

void TRunReporter::showProgress()
{
    const QString line = RunProgressLine(current());
    // Blanks over what a longer earlier line left behind.
    const qsizetype pad = std::max<qsizetype>(0, m_shownWidth - line.size());
    m_sources.write(u'\r' + line + QString(pad, u' '));
    m_shownWidth = line.size();
}

void TRunReporter::searchEnded()
{
    m_timer.stop();
    if (m_shownWidth > 0) {
        m_sources.write(u'\r' + QString(m_shownWidth, u' ') + u'\r');
        m_shownWidth = 0;
    }
    m_sources.write(RunSummaryLine(current()) + u'\n');
}
