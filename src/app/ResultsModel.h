#pragma once

#include "app/ResultsFilter.h"
#include "model/ItemDateText.h"
#include "model/ItemRecord.h"

#include <QAbstractTableModel>
#include <QIcon>
#include <QList>
#include <QLocale>
#include <QTimer>
#include <vector>

// The results view's model and the owner of the result list: a virtual table over the
// records, keeping no row objects; every text is made from the record when the view
// asks. Every change of the list goes through here and tells the view at once.
//
// Rows and items: without a filter, row i of the view shows record i of items(). With
// the filter box's text set (setFilter), the view's rows are the records that pass, in
// list order: itemRow() turns a view row into its index in items(), viewRow() back.
// Everything that acts on records (file operations, removeItems, updateItem) speaks
// item indices; the selection and the view speak rows.
//
// Single hits (appendHit, in delivery order) wait in a short queue and reach the list
// at most every 50 ms: one row insertion per batch keeps the view responsive while
// thousands of hits a second arrive, and neither repaints the shown rows nor scrolls.
// A batch (appendHits) is inserted at once, as one insertion. Main thread only.
class TResultsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // MatchColumn: why a hit passed the content test (hidden unless documents are searched).
    enum Column {
        FileNameColumn,
        LocationColumn,
        SizeColumn,
        DateColumn,
        AttributesColumn,
        MatchColumn,
        ColumnCount
    };
    static constexpr int kRowCountInterval = 50; // ms

    explicit TResultsModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The settings the texts follow ("FileNameDisplayFormat", "DateFormat").
    void setDisplayFormats(int fileNameDisplayFormat, int dateFormat);
    int fileNameDisplayFormat() const { return m_fileNameDisplayFormat; }

    // The small-icon list the records' ImageIndex values point into; none shows no icons.
    void setImageList(const QList<QIcon>* icons);

    // Queues a record; it joins the list (and the view) within 50 ms.
    void appendHit(const TItemRecord& record);
    // Appends the queued records and then the batch, in one row insertion.
    void appendHits(const std::vector<TItemRecord>& records);
    // Moves the queued records into the list now.
    void flushRowCount();
    // Removes the records at the given item indices (any order; duplicates and indices
    // out of range are ignored). The rows below move up; the view keeps its place.
    void removeItems(const QList<int>& items);
    // Puts a record in place of items()[item] (a rename); indices out of range are ignored.
    void updateItem(int item, const TItemRecord& record);
    // Replaces the whole list (a loaded results file); queued records are dropped.
    void replaceItems(TItemList records);
    // Sorts the list by a sort tag (see ResultSorting.h) and redraws.
    void sortItems(int sortTag);
    // Empties the list, the queue and the view (ClearResultList).
    void clearItems();

    // The filter box's text (see TResultsFilter); the view shows the records that pass.
    // Records that arrive later are tested as they come.
    void setFilter(const QString& text);
    const TResultsFilter& filter() const { return m_filter; }
    bool isFiltered() const { return m_filter.active(); }
    // The index in items() of view row `row`, or -1 out of range.
    int itemRow(int row) const;
    // The view row that shows items()[item], or -1 when the filter hides it.
    int viewRow(int item) const;
    // The record of view row `row` (in range).
    const TItemRecord& shownRecord(int row) const;
    // The records the view shows, in order (items() itself without a filter).
    TItemList shownItems() const;
    // Whether the reset under way is a new filter (the list's order stays).
    bool refiltering() const { return m_refiltering; }

    // Every record of the list, shown or hidden by the filter.
    const TItemList& items() const { return m_items; }
    // Whether there is any record, shown or queued.
    bool hasItems() const { return !m_items.isEmpty() || !m_queued.empty(); }

    // The texts of one row as the view shows them, by column.
    QString cellText(const TItemRecord& record, int column) const;

Q_SIGNALS:
    // The count of records or of shown rows may have changed ("shown N of M").
    void countsChanged();

private:
    void refilter();
    void removeRun(int firstItem, int lastItem);

    TItemList m_items;
    TResultsFilter m_filter;
    std::vector<int> m_shown; // with a filter: the item index of each view row, ascending
    bool m_refiltering = false;
    std::vector<TItemRecord> m_queued; // single hits waiting for the next insertion
    int m_fileNameDisplayFormat = 1;
    TItemDateFormatter m_dateFormatter{0};
    const QList<QIcon>* m_icons = nullptr;
    QTimer m_rowCountTimer;
};
