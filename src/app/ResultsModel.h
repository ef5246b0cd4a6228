#pragma once

#include "model/ItemDateText.h"
#include "model/ItemRecord.h"

#include <QAbstractTableModel>
#include <QIcon>
#include <QLocale>
#include <QTimer>

// The results view's model: a virtual table over the main window's result list. It
// keeps no row objects; every text is made from the record when the view asks.
//
// Hits arrive one at a time on the main thread (appendHit, in delivery order) and go
// into the list at once, but the view learns of new rows at most every 50 ms: one
// row insertion per batch keeps the view responsive while thousands of hits a second
// arrive, and neither repaints the shown rows nor scrolls. Whoever changes the list
// in other ways calls resetFromList afterwards.
class TResultsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { FileNameColumn, LocationColumn, SizeColumn, DateColumn, AttributesColumn, ColumnCount };
    static constexpr int kRowCountInterval = 50; // ms

    explicit TResultsModel(TItemList& items, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The settings the texts follow ("FileNameDisplayFormat", "DateFormat").
    void setDisplayFormats(int fileNameDisplayFormat, int dateFormat);
    int fileNameDisplayFormat() const { return m_fileNameDisplayFormat; }

    // The small-icon list the records' ImageIndex values point into; none shows no icons.
    void setImageList(const QList<QIcon>* icons);

    // Appends a record to the list; the view's row count follows within 50 ms.
    void appendHit(const TItemRecord& record);
    // Tells the view about every row appended so far, now.
    void flushRowCount();
    // Sorts the list itself by a sort tag (see ResultSorting.h) and redraws.
    void sortItems(int sortTag);
    // Empties the list and the view (ClearResultList).
    void clearItems();
    // After the list was cleared, sorted, loaded or shortened by others.
    void resetFromList();
    // Rows the view knows about (the list may hold more for up to 50 ms).
    int shownRowCount() const { return m_shownCount; }

    const TItemList& items() const { return m_items; }

    // The texts of one row as the view shows them, by column.
    QString cellText(const TItemRecord& record, int column) const;

private:
    TItemList& m_items;
    int m_shownCount = 0;
    int m_fileNameDisplayFormat = 1;
    TItemDateFormatter m_dateFormatter{0};
    const QList<QIcon>* m_icons = nullptr;
    QTimer m_rowCountTimer;
};
