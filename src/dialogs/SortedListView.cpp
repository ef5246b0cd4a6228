#include "dialogs/SortedListView.h"

#include "widgets/ProgramIcon.h"

#include <QHeaderView>
#include <algorithm>
#include <functional>

namespace {

class TSortedItem : public QTreeWidgetItem {
public:
    using QTreeWidgetItem::QTreeWidgetItem;

    bool operator<(const QTreeWidgetItem& other) const override
    {
        return TSortedListView::lessThan(text(0), other.text(0));
    }
};

} // namespace

TSortedListView::TSortedListView(const QString& caption, QWidget* parent) : QTreeWidget(parent)
{
    setColumnCount(1);
    setHeaderLabels({caption});
    setRootIsDecorated(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    header()->setSectionsClickable(false);
    header()->setSortIndicatorShown(false);
}

void TSortedListView::setCaption(const QString& caption)
{
    headerItem()->setText(0, caption);
}

QString TSortedListView::caption() const
{
    return headerItem()->text(0);
}

bool TSortedListView::lessThan(const QString& a, const QString& b)
{
    const int folded = QString::compare(a, b, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : QString::compare(a, b, Qt::CaseSensitive) < 0;
}

QStringList TSortedListView::entries() const
{
    QStringList texts;
    texts.reserve(topLevelItemCount());
    for (int row = 0; row < topLevelItemCount(); ++row)
        texts.append(topLevelItem(row)->text(0));
    return texts;
}

void TSortedListView::setEntries(const QStringList& entries)
{
    clear();
    for (const QString& text : entries)
        addItem(text);
    resort();
}

void TSortedListView::addEntry(const QString& text)
{
    addItem(text);
    resort();
}

void TSortedListView::replaceEntry(int index, const QString& text)
{
    if (QTreeWidgetItem* item = topLevelItem(index)) {
        item->setText(0, text);
        resort();
    }
}

void TSortedListView::removeEntries(const QList<int>& indexes)
{
    QList<int> rows = indexes;
    std::sort(rows.begin(), rows.end(), std::greater<>());
    for (int row : rows)
        delete takeTopLevelItem(row);
}

QList<int> TSortedListView::selectedRows() const
{
    QList<int> rows;
    for (QTreeWidgetItem* item : selectedItems())
        rows.append(indexOfTopLevelItem(item));
    std::sort(rows.begin(), rows.end());
    return rows;
}

int TSortedListView::selectedRow() const
{
    const QList<int> rows = selectedRows();
    return rows.isEmpty() ? -1 : rows.first();
}

void TSortedListView::selectRow(int row)
{
    clearSelection();
    if (QTreeWidgetItem* item = topLevelItem(row)) {
        setCurrentItem(item);
        item->setSelected(true);
    }
}

// Sorted at once rather than by the view's own sorting, which waits for the event
// loop and would leave entries() unsorted right after a change.
void TSortedListView::resort()
{
    sortItems(0, Qt::AscendingOrder);
}

void TSortedListView::addItem(const QString& text)
{
    auto* item = new TSortedItem(QStringList{text});
    item->setIcon(0, ProgramIcon());
    addTopLevelItem(item);
}
