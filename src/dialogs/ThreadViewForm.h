#pragma once

#include "dialogs/ChangeNotice.h"
#include "dialogs/ToolWindow.h"
#include "dialogs/WorkerActivitySource.h"

#include <QTimer>
#include <functional>
#include <memory>

class TWorkerThreadList;

class QPushButton;
class QTreeWidget;

// "Working Threads": one line per running worker with what it is doing now (the
// computer it connects to, the folder it walks, the file it scans). A worker's line
// changes in place; lines keep the order in which their workers first appeared.
// Workers joining or leaving refresh the list through the source's change notices
// (coalesced, see TChangeNotice), so an ended worker's line goes at once. Activity
// texts change with every folder and file a worker reaches and have no notice (one
// per entry would cost every worker a call in its walk and the window a refresh
// per entry); a timer rereads them once a second, and only while workers are shown.
// Whoever switches the source to another search's workers calls refresh().
// Main thread only.
class TThreadViewForm : public TToolWindow {
    Q_OBJECT
public:
    static constexpr int kActivityIntervalMs = 1000;

    // The source must outlive the window.
    explicit TThreadViewForm(TWorkerActivitySource& source, QWidget* parent = nullptr);
    // The window owns the source.
    explicit TThreadViewForm(std::unique_ptr<TWorkerActivitySource> source, QWidget* parent = nullptr);
    ~TThreadViewForm() override;

    // Reads the workers and brings the lines up to date (change notices and the
    // activity timer); starts the timer when workers are shown, stops it otherwise.
    void refresh();

    QTreeWidget* listView() const { return m_list; }
    QPushButton* closeButton() const { return m_closeButton; }
    // Rereads the activity texts while workers are shown.
    QTimer& timer() { return m_timer; }

private:
    std::unique_ptr<TWorkerActivitySource> m_ownedSource;
    TWorkerActivitySource& m_source;
    QTreeWidget* m_list = nullptr;
    QPushButton* m_closeButton = nullptr;
    QTimer m_timer;
    TChangeNotice m_notice{*this, [this] { refresh(); }};
};

// Entry point of the main window's "Show Working &Threads" action (connect it to
// QAction::triggered): shows the open window or a new one over `source` when the
// action is checked, closes it when unchecked. The window unchecks the action when
// it closes.
TThreadViewForm* ToggleThreadView(QAction* action, QWidget* mainWindow, TWorkerActivitySource& source);
// The same over the worker list the source gives (the running or last search's).
TThreadViewForm* ToggleThreadView(QAction* action, QWidget* mainWindow,
                                  std::function<std::shared_ptr<TWorkerThreadList>()> workers);
