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
    return parent.isValid() ? 0 : static_cast<int>(m_items.size());
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
    if (!index.isValid() || index.row() >= m_items.size())
        return {};
    const TItemRecord& record = m_items.at(index.row());
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
    if (!m_items.isEmpty())
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1));
}

void TResultsModel::setImageList(const QList<QIcon>* icons)
{
    m_icons = icons;
    if (!m_items.isEmpty())
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
    beginInsertRows(QModelIndex(), first, static_cast<int>(first + count - 1));
    m_items.reserve(m_items.size() + count);
    m_items.append(TItemList(m_queued.begin(), m_queued.end()));
    m_items.append(TItemList(records.begin(), records.end()));
    m_queued.clear();
    endInsertRows();
}

void TResultsModel::flushRowCount()
{
    appendHits({});
}

void TResultsModel::removeItems(const QList<int>& rows)
{
    QList<int> sorted = rows;
    sorted.removeIf([this](int row) { return row < 0 || row >= rowCount(); });
    std::sort(sorted.begin(), sorted.end(), std::greater<int>());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    // Each run of adjacent rows goes in one removal, the lowest run last so that the
    // rows still to go keep their numbers.
    for (qsizetype i = 0; i < sorted.size();) {
        const int last = sorted[i];
        int first = last;
        while (++i < sorted.size() && sorted[i] == first - 1)
            first = sorted[i];
        beginRemoveRows(QModelIndex(), first, last);
        m_items.remove(first, last - first + 1);
        endRemoveRows();
    }
}

void TResultsModel::updateItem(int row, const TItemRecord& record)
{
    if (row < 0 || row >= rowCount())
        return;
    m_items[row] = record;
    Q_EMIT dataChanged(index(row, 0), index(row, ColumnCount - 1));
}

void TResultsModel::replaceItems(TItemList records)
{
    m_rowCountTimer.stop();
    beginResetModel();
    m_queued.clear();
    m_items = std::move(records);
    endResetModel();
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
    endResetModel();
}
