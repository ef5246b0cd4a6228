#include "app/ResultsModel.h"

#include "app/ResultSorting.h"

TResultsModel::TResultsModel(TItemList& items, QObject* parent) : QAbstractTableModel(parent), m_items(items)
{
    m_shownCount = static_cast<int>(m_items.size());
    m_rowCountTimer.setSingleShot(true);
    m_rowCountTimer.setInterval(kRowCountInterval);
    connect(&m_rowCountTimer, &QTimer::timeout, this, &TResultsModel::flushRowCount);
}

int TResultsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_shownCount;
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
    default:
        return {};
    }
}

void TResultsModel::setDisplayFormats(int fileNameDisplayFormat, int dateFormat)
{
    m_fileNameDisplayFormat = fileNameDisplayFormat;
    m_dateFormatter = TItemDateFormatter(dateFormat);
    if (m_shownCount > 0)
        Q_EMIT dataChanged(index(0, 0), index(m_shownCount - 1, ColumnCount - 1));
}

void TResultsModel::setImageList(const QList<QIcon>* icons)
{
    m_icons = icons;
    if (m_shownCount > 0)
        Q_EMIT dataChanged(index(0, FileNameColumn), index(m_shownCount - 1, FileNameColumn),
                           {Qt::DecorationRole});
}

void TResultsModel::appendHit(const TItemRecord& record)
{
    m_items.append(record);
    if (!m_rowCountTimer.isActive())
        m_rowCountTimer.start();
}

void TResultsModel::flushRowCount()
{
    m_rowCountTimer.stop();
    const int count = static_cast<int>(m_items.size());
    if (count < m_shownCount) { // shortened behind our back: start over
        resetFromList();
        return;
    }
    if (count == m_shownCount)
        return;
    beginInsertRows(QModelIndex(), m_shownCount, count - 1);
    m_shownCount = count;
    endInsertRows();
}

void TResultsModel::resetFromList()
{
    m_rowCountTimer.stop();
    beginResetModel();
    m_shownCount = static_cast<int>(m_items.size());
    endResetModel();
}

void TResultsModel::clearItems()
{
    m_rowCountTimer.stop();
    beginResetModel();
    m_shownCount = 0;
    m_items.clear();
    endResetModel();
}

void TResultsModel::sortItems(int sortTag)
{
    m_rowCountTimer.stop();
    beginResetModel();
    SortItems(m_items, sortTag, m_fileNameDisplayFormat);
    m_shownCount = static_cast<int>(m_items.size());
    endResetModel();
}
