#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QAction;
class QComboBox;
class TResultsModel;
class TSearchEngineLink;
class TSearchSession;
struct TSettings;

// Starting, watching and ending searches from the main window: validation of what
// the user typed, the two histories, the configuration built from the settings, the
// running/stopping/idle display, the status text taken from the search log and the
// result summary. Main thread only.
//
// States: idle (running() false), running (true, the session not stopped), stopping
// (true, its stop requested). execute() starts from idle and stops otherwise; the
// search's end brings the idle state back and emits ended() (the window then runs
// the command-line exports). The control keeps the last search's session, so its
// log stays readable after the search ended; each start makes a new one (a fresh
// log) and emits sessionChanged().
class TSearchControl : public QObject {
    Q_OBJECT
public:
    struct Widgets {
        QComboBox* masks = nullptr; // "Search files" (cmbSearch)
        QComboBox* texts = nullptr; // "With content" (cmbSearchText)
        QAction* command = nullptr; // Start/Stop
    };

    // settings: the program's settings, read when a search starts and ends.
    TSearchControl(const Widgets& widgets, TResultsModel& model, TSearchEngineLink& engine,
                   const TSettings& settings, std::function<void(const QString&)> setStatusText,
                   QObject* parent = nullptr);

    // Start/Stop command, Enter in either box, "/mask:" of the command line. Refusals
    // and start errors are shown with ShowError; returns true when a search started.
    bool execute();
    // "Shutting down..." and the stop request; again while stopping says it again.
    void stopSearch();
    // The stop of a program that is about to end: the end of the search shows no message.
    void stopForExit();

    bool running() const { return m_running; }
    // The running or last search's session; null before the first search.
    std::shared_ptr<TSearchSession> session() const { return m_session; }
    void setEngine(TSearchEngineLink& engine) { m_engine = &engine; }
    // The thread panel: running workers, plus one for the queue thread while a search runs.
    int threadCount() const;

    // The status text from the newest log line, when the log changed since last time;
    // while the search runs and that line is stale, what the workers do now
    // (RunningStatusText).
    void updateStatusFromLog();
    // "Found %u files, total size %s".
    void showResultSummary();

    // The drop-down items of the two boxes, newest first.
    QStringList maskHistory() const;
    QStringList textHistory() const;
    void setHistories(const QStringList& masks, const QStringList& texts);

Q_SIGNALS:
    void started();
    // A new search session replaced the last one (its log starts empty).
    void sessionChanged();
    // The search has ended and the idle state is back.
    void ended();

private:
    void startSearch();
    void searchEnded();
    void showCommandState(bool searching);

    Widgets m_widgets;
    TResultsModel& m_model;
    TSearchEngineLink* m_engine;
    const TSettings& m_settings;
    std::function<void(const QString&)> m_setStatusText;
    int m_lastLogCount = 0;
    int m_lastShownCount = -1;
    QString m_newestLine;
    QString m_lastShownText;
    QElapsedTimer m_lineAge; // since the newest log line came
    bool m_running = false;
    bool m_exitRequested = false;
    std::shared_ptr<TSearchSession> m_session;
};
