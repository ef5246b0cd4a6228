#pragma once

#include "dialogs/ToolWindow.h"
#include "dialogs/WorkerActivitySource.h"

#include <QTimer>

#include <functional>
#include <memory>

class TWorkerThreadList;

class QPushButton;
class QTreeWidget;

// "Working Threads": one line per running worker with what it is doing now (the
// computer it connects to, the folder it walks, the file it scans), refreshed once
// a second. A worker's line changes in place; lines keep the order in which their
// workers first appeared; a worker that has ended loses its line at the next tick.
// Main thread only.
class TThreadViewForm : public TToolWindow {
    Q_OBJECT
public:
    static constexpr int kRefreshIntervalMs = 1000;

    // The source must outlive the window.
    explicit TThreadViewForm(TWorkerActivitySource& source, QWidget* parent = nullptr);
    // The window owns the source.
    explicit TThreadViewForm(std::unique_ptr<TWorkerActivitySource> source, QWidget* parent = nullptr);

    // Reads the workers and brings the lines up to date (the timer's work).
    void refresh();

    QTreeWidget* listView() const { return m_list; }
    QPushButton* closeButton() const { return m_closeButton; }
    QTimer& timer() { return m_timer; }

private:
    std::unique_ptr<TWorkerActivitySource> m_ownedSource;
    TWorkerActivitySource& m_source;
    QTreeWidget* m_list = nullptr;
    QPushButton* m_closeButton = nullptr;
    QTimer m_timer;
};

// Entry point of the main window's "Show Working &Threads" action (connect it to
// QAction::triggered): shows the open window or a new one over `source` when the
// action is checked, closes it when unchecked. The window unchecks the action when
// it closes.
TThreadViewForm* ToggleThreadView(QAction* action, QWidget* mainWindow, TWorkerActivitySource& source);
// The same over the worker list the source gives (the running or last search's).
TThreadViewForm* ToggleThreadView(QAction* action, QWidget* mainWindow,
                                  std::function<std::shared_ptr<TWorkerThreadList>()> workers);
