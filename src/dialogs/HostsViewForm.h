#pragma once

#include "dialogs/ChangeNotice.h"
#include "dialogs/ToolWindow.h"
#include "engine/HostProgress.h"

#include <QAbstractTableModel>
#include <QTimer>
#include <functional>
#include <memory>

class QPushButton;
class QTableView;

// The hosts table's model: one row per host of the search, in the order the search
// came to know them, with its state, hit count, time and shares.
class THostsTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { HostColumn, StateColumn, HitsColumn, TimeColumn, SharesColumn, ColumnCount };

    using QAbstractTableModel::QAbstractTableModel;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Takes new readings: rows that stay change in place, new hosts are appended.
    void setLines(std::vector<THostProgressLine> lines);
    const std::vector<THostProgressLine>& lines() const { return m_lines; }

    // "access denied (private)", "timed out", ... as the State column shows it.
    static QString StateCellText(const THostProgressLine& line);

private:
    std::vector<THostProgressLine> m_lines;
};

// "Hosts": each host of the running or last search with its state (waiting, probing,
// listing shares, searching, done, no answer, no SMB, access denied with the share,
// timed out), its hits and its time; "Export ..." saves the per-host summary as CSV
// or JSON. The table follows the tracker's change notices (coalesced) and, while the
// search runs and a host is still on its way, rereads once a second for the clocks
// and hit counts.
// Whoever switches the source to another search's tracker calls refresh().
// Main thread only.
class THostsViewForm : public TToolWindow {
    Q_OBJECT
public:
    using ProgressSource = std::function<std::shared_ptr<THostProgress>()>;
    static constexpr int kClockIntervalMs = 1000;

    // searching: whether the search still runs (empty: as long as a host is on its way).
    explicit THostsViewForm(ProgressSource source, QWidget* parent = nullptr,
                            std::function<bool()> searching = {});
    ~THostsViewForm() override;

    void refresh();
    // Asks for a file name and saves the summary there; false when cancelled or failed.
    bool exportSummary();

    QTableView* table() const { return m_table; }
    THostsTableModel& model() { return m_model; }
    QPushButton* exportButton() const { return m_exportButton; }
    QTimer& timer() { return m_timer; }

    // The save dialog of "Export ..." (tests answer it themselves).
    std::function<QString(QWidget* owner)> chooseFileName;

private:
    ProgressSource m_source;
    std::function<bool()> m_searching;
    std::shared_ptr<THostProgress> m_progress; // the tracker whose notices come in
    THostsTableModel m_model;
    QTableView* m_table = nullptr;
    QPushButton* m_exportButton = nullptr;
    QTimer m_timer;
    TChangeNotice m_notice{*this, [this] { refresh(); }};
};

// The main window's "Show &Hosts" action, as ToggleThreadView.
THostsViewForm* ToggleHostsView(QAction* action, QWidget* mainWindow, THostsViewForm::ProgressSource source,
                                std::function<bool()> searching = {});
