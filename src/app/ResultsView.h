#pragma once

#include "app/Commands.h"
#include "model/ItemRecord.h"

#include <QHash>
#include <QPointer>
#include <QTableView>

class QAction;
class QMenu;
class TFindDialog;
class TResultsModel;

// The results list of the main window: a report view over TResultsModel with rows
// selected whole, several at once, no editing. Header clicks sort the result list
// itself (the sort tag: 0 none, +n ascending by column n - 1, -n descending), the
// find window searches full names, the pop-up menu carries the commands on the
// selected rows, with the four "Copy path ..." commands captioned by what they copy.
class TResultsView : public QTableView {
    Q_OBJECT
public:
    explicit TResultsView(TResultsModel& model, QWidget* parent = nullptr);

    // The pop-up commands, made by the main window from the command table.
    void setPopupActions(const QHash<TCommand, QAction*>& actions);

    // Column widths from the client width and "FileNameDisplayFormat"; the location
    // column shows only for format 1.
    void layoutColumns();
    void setDrawGrid(bool drawGrid) { setShowGrid(drawGrid); }
    // The match column (term and excerpt) shows only while documents are searched.
    void setMatchColumnShown(bool shown);

    int sortTag() const { return m_sortTag; }
    // A header click on column: sorts the list unless it is empty.
    void sortByColumn(int column);
    // The list is no longer in the sorted order: no tag, no indicator.
    void forgetSortOrder();

    // "&Find In Table": opens the find window from the top.
    void showFindDialog();
    // Find Next with the window's text among the shown rows; returns the view row found
    // or -1 ("Text not found").
    qsizetype findNext(const QString& text);
    qsizetype findPosition() const { return m_findPosition; }
    TFindDialog* findDialog() const;

    // Sets the captions of the copy commands from the first selected record.
    void prepareCopyCaptions();
    // Puts the command's caption text (without the doubled ampersands) on the clipboard.
    void copyCaption(TCommand command);

    // The first selected view row (lowest) or -1.
    int firstSelectedViewRow() const;
    // The index in the model's items() of the first selected row, or -1; its record.
    int firstSelectedRow() const;
    bool selectedRecord(TItemRecord& record) const;
    // The items() indices of every selected row, ascending, each once.
    QList<int> selectedItemRows() const;
    // Whether view row `row` is selected.
    bool isRowSelected(int row) const;
    bool firstSelectedIsFtp() const;

    QMenu* popupMenu() const { return m_popup; }

Q_SIGNALS:
    // Double click on a row: the "&Open" command.
    void openRequested();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    TResultsModel& m_model;
    int m_sortTag = 0;
    bool m_matchShown = false;
    bool m_sorting = false; // the model's reset is the sort's own
    qsizetype m_findPosition = -1;
    QPointer<TFindDialog> m_findDialog;
    QHash<TCommand, QAction*> m_actions;
    QMenu* m_popup = nullptr;
};
