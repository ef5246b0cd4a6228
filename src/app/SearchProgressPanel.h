#pragma once

#include "dialogs/ChangeNotice.h"
#include "engine/HostProgress.h"

#include <QLabel>
#include <QTimer>
#include <memory>

class TResultsModel;
class TSearchControl;

// "3 of 10 hosts done, 1234 files, 5.6 MB searched, 0:42": the live progress of a
// search (hosts in an end state of hosts known, hits, content bytes read, time).
QString ProgressSummaryText(const TProgressSummary& summary);
// "shown N of M": the rows the results filter lets through of all records.
QString ShownCountText(qsizetype shown, qsizetype total);
// "m:ss", or "h:mm:ss" from an hour on.
QString ElapsedText(int64_t milliseconds);

// A status bar panel with the running or last search's progress and, while the
// filter box holds text, "shown N of M". The progress is read from the session's
// tracker when it reports a change (coalesced, see TChangeNotice) and once a second
// while the search runs (the clock, the hits and the bytes have no notice); the
// counts when the model reports a change.
class TSearchProgressPanel : public QLabel {
    Q_OBJECT
public:
    static constexpr int kClockIntervalMs = 1000;

    TSearchProgressPanel(TResultsModel& model, TSearchControl& search, QWidget* parent = nullptr);
    ~TSearchProgressPanel() override;

    void refresh();
    QTimer& clock() { return m_clock; }

private:
    void followSession();

    TResultsModel& m_model;
    TSearchControl& m_search;
    std::shared_ptr<THostProgress> m_progress;
    QTimer m_clock;
    TChangeNotice m_notice{*this, [this] { refresh(); }};
};
