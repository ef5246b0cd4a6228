#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <cstddef>
#include <functional>
#include <memory>

class TSearchSession;

// What an unattended run tells stderr: one summary line at the end of each search, and
// while it runs, when stderr is a terminal, one progress line rewritten in place.
struct TRunSummary {
    long long hits = 0;
    int hosts = 0;  // hosts the search took on
    int errors = 0; // error lines of the search log
    long long elapsedMs = 0;
};

// "Kestrova: 12 hits, 3 hosts, 1 error, 4.2 s" (singular where the count is 1).
QString RunSummaryLine(const TRunSummary& summary);
// "Kestrova: searching... 12 hits, 3 hosts, 1 error, 0:04" (minutes:seconds).
QString RunProgressLine(const TRunSummary& summary);

// The numbers of a session: hosts from its per-host progress, errors from its log
// (reading only the entries added since the last call).
class TRunCounter {
public:
    // hits and elapsedMs are the caller's; a null session counts nothing.
    TRunSummary collect(TSearchSession* session, long long hits, long long elapsedMs);

private:
    TSearchSession* m_session = nullptr;
    std::size_t m_scanned = 0;
    int m_errors = 0;
};

// Writes the progress and summary lines of one search after another. The sources
// are asked on every tick; text goes to write (stderr in the program).
class TRunReporter : public QObject {
    Q_OBJECT
public:
    struct Sources {
        std::function<std::shared_ptr<TSearchSession>()> session;
        std::function<long long()> hits;
        std::function<void(const QString&)> write;
    };

    // live: rewrite a progress line every intervalMs (stderr is a terminal).
    TRunReporter(Sources sources, bool live, int intervalMs = 250, QObject* parent = nullptr);

    void searchStarted();
    // Clears the progress line and writes the summary line with its line end.
    void searchEnded();

private:
    TRunSummary current();
    void showProgress();

    Sources m_sources;
    bool m_live;
    QTimer m_timer;
    QElapsedTimer m_clock;
    TRunCounter m_counter;
    qsizetype m_shownWidth = 0;
};
