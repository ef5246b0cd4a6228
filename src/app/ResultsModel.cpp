#include "app/ResultsModel.h"

#include "app/ResultSorting.h"

#include <algorithm>

TResultsModel::TResultsModel(QObject* parent) : QAbstractTableModel(parent)
{
    m_rowCountTimer.setSingleShot(true);
    m_rowCountTimer.setInterval(kRowCountInterval);
    connect(&m_rowCountTimer, &QTimer::timeout, this, &TResultsModel::flushRowCount);
}

int TResultsModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return static_cast<int>(isFiltered() ? static_cast<qsizetype>(m_shown.size()) : m_items.size());
}

int TResultsModel::itemRow(int row) const
{
    if (row < 0 || row >= rowCount())
        return -1;
    return isFiltered() ? m_shown[static_cast<size_t>(row)] : row;
}

int TResultsModel::viewRow(int item) const
{
    if (item < 0 || item >= m_items.size())
        return -1;
    if (!isFiltered())
        return item;
    const auto found = std::lower_bound(m_shown.begin(), m_shown.end(), item);
    return found != m_shown.end() && *found == item ? static_cast<int>(found - m_shown.begin()) : -1;
}

const TItemRecord& TResultsModel::shownRecord(int row) const
{
    return m_items.at(itemRow(row));
}

TItemList TResultsModel::shownItems() const
{
    if (!isFiltered())
        return m_items;
    TItemList shown;
    shown.reserve(static_cast<qsizetype>(m_shown.size()));
    for (const int item : m_shown)
        shown.append(m_items.at(item));
    return shown;
}

void TResultsModel::setFilter(const QString& text)
{
    if (text == m_filter.text())
        return;
    flushRowCount();
    const TResultsFilter previous = std::exchange(m_filter, TResultsFilter(text));
    m_refiltering = true;
    beginResetModel();
    if (!m_filter.active())
        m_shown = {};
    else if (previous.active() && m_filter.narrows(previous))
        m_shown = m_filter.select(m_items, &m_shown);
    else
        m_shown = m_filter.select(m_items);
    endResetModel();
    m_refiltering = false;
    Q_EMIT countsChanged();
}

void TResultsModel::refilter()
{
    m_shown = m_filter.active() ? m_filter.select(m_items) : std::vector<int>{};
}

int TResultsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QString TResultsModel::cellText(const TItemRecord& record, int column) const
{
    switch (column) {
    case FileNameColumn:
        return m_fileNameDisplayFormat == 1 || m_fileNameDisplayFormat == 2 ? ItemName(record)
                                                                            : record.FileName;
    case LocationColumn:
        return ItemLocation(record);
    case SizeColumn:
        return ItemSizeText(record);
    case DateColumn:
        return m_dateFormatter.text(record);
    case AttributesColumn:
        return ItemAttributesText(record);
    case MatchColumn:
        return ContentMatchText(record.Match.get());
    default:
        return {};
    }
}

QVariant TResultsModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const TItemRecord& record = shownRecord(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return cellText(record, index.column());
    case Qt::DecorationRole:
        if (index.column() == FileNameColumn && m_icons && record.ImageIndex >= 0 &&
            record.ImageIndex < m_icons->size())
            return m_icons->at(record.ImageIndex);
        return {};
    case Qt::TextAlignmentRole:
        if (index.column() == SizeColumn)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    default:
        return {};
    }
}

// Exact text: the column captions users sort and copy by; the results model tests
// compare them.
QVariant TResultsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case FileNameColumn:
        return QStringLiteral("File name");
    case LocationColumn:
        return QStringLiteral("Location");
    case SizeColumn:
        return QStringLiteral("Size");
    case DateColumn:
        return QStringLiteral("Date & Time");
    case AttributesColumn:
        return QStringLiteral("Attrs");
    case MatchColumn:
        return QStringLiteral("Match");
    default:
        return {};
    }
}

void TResultsModel::setDisplayFormats(int fileNameDisplayFormat, int dateFormat)
{
    m_fileNameDisplayFormat = fileNameDisplayFormat;
    m_dateFormatter = TItemDateFormatter(dateFormat);
    if (rowCount() > 0)
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1));
}

void TResultsModel::setImageList(const QList<QIcon>* icons)
{
    m_icons = icons;
    if (rowCount() > 0)
        Q_EMIT dataChanged(index(0, FileNameColumn), index(rowCount() - 1, FileNameColumn),
                           {Qt::DecorationRole});
}

void TResultsModel::appendHit(const TItemRecord& record)
{
    m_queued.push_back(record);
    if (!m_rowCountTimer.isActive())
        m_rowCountTimer.start();
}

void TResultsModel::appendHits(const std::vector<TItemRecord>& records)
{
    m_rowCountTimer.stop();
    const qsizetype count = static_cast<qsizetype>(m_queued.size()) + static_cast<qsizetype>(records.size());
    if (count == 0)
        return;
    const int first = rowCount();
    const qsizetype firstItem = m_items.size();
    // With a filter, only the records that pass become rows; the rest join the list unseen.
    std::vector<int> passing;
    if (isFiltered()) {
        int item = static_cast<int>(firstItem);
        auto test = [&](const TItemRecord& record) {
            if (m_filter.matches(record))
                passing.push_back(item);
            ++item;
        };
        std::for_each(m_queued.begin(), m_queued.end(), test);
        std::for_each(records.begin(), records.end(), test);
    }
    const qsizetype newRows = isFiltered() ? static_cast<qsizetype>(passing.size()) : count;
    if (newRows > 0)
        beginInsertRows(QModelIndex(), first, static_cast<int>(first + newRows - 1));
    m_items.reserve(m_items.size() + count);
    m_items.append(TItemList(m_queued.begin(), m_queued.end()));
    m_items.append(TItemList(records.begin(), records.end()));
    m_queued.clear();
    m_shown.insert(m_shown.end(), passing.begin(), passing.end());
    if (newRows > 0)
        endInsertRows();
    Q_EMIT countsChanged();
}

void TResultsModel::flushRowCount()
{
    appendHits({});
}

void TResultsModel::removeItems(const QList<int>& rows)
{
    QList<int> sorted = rows;
    const qsizetype itemCount = m_items.size();
    sorted.removeIf([itemCount](int row) { return row < 0 || row >= itemCount; });
    std::sort(sorted.begin(), sorted.end(), std::greater<int>());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    // Each run of adjacent rows goes in one removal, the lowest run last so that the
    // rows still to go keep their numbers.
    for (qsizetype i = 0; i < sorted.size();) {
        const int last = sorted[i];
        int first = last;
        while (++i < sorted.size() && sorted[i] == first - 1)
            first = sorted[i];
        removeRun(first, last);
    }
    Q_EMIT countsChanged();
}

void TResultsModel::removeRun(int first, int last)
{
    const int removed = last - first + 1;
    if (!isFiltered()) {
        beginRemoveRows(QModelIndex(), first, last);
        m_items.remove(first, removed);
        endRemoveRows();
        return;
    }
    // The shown rows of the run go; the item indices of the rows below move up.
    const auto from = std::lower_bound(m_shown.begin(), m_shown.end(), first);
    const auto to = std::upper_bound(from, m_shown.end(), last);
    const bool rowsGo = from != to;
    if (rowsGo)
        beginRemoveRows(QModelIndex(), static_cast<int>(from - m_shown.begin()),
                        static_cast<int>(to - m_shown.begin() - 1));
    m_items.remove(first, removed);
    for (auto below = to; below != m_shown.end(); ++below)
        *below -= removed;
    m_shown.erase(from, to);
    if (rowsGo)
        endRemoveRows();
}

void TResultsModel::updateItem(int item, const TItemRecord& record)
{
    if (item < 0 || item >= m_items.size())
        return;
    m_items[item] = record;
    // A shown record stays shown under its new name until the filter text changes.
    if (const int row = viewRow(item); row >= 0)
        Q_EMIT dataChanged(index(row, 0), index(row, ColumnCount - 1));
}

void TResultsModel::replaceItems(TItemList records)
{
    m_rowCountTimer.stop();
    beginResetModel();
    m_queued.clear();
    m_items = std::move(records);
    refilter();
    endResetModel();
    Q_EMIT countsChanged();
}

void TResultsModel::clearItems()
{
    replaceItems({});
}

void TResultsModel::sortItems(int sortTag)
{
    flushRowCount();
    beginResetModel();
    SortItems(m_items, sortTag, m_fileNameDisplayFormat);
    refilter();
    endResetModel();
}
