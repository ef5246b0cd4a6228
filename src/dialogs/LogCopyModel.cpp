#include "dialogs/LogCopyModel.h"

#include <QApplication>
#include <QStyle>

TLogCopyModel::TLogCopyModel(TEngineSearchLog& log, QObject* parent) : QAbstractListModel(parent), m_log(log)
{
    for (int kind = 0; kind < kKindCount; ++kind)
        m_icons[kind] = KindIcon(kind);
}

int TLogCopyModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_entries.size());
}

QVariant TLogCopyModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_entries.size())
        return {};
    const TSearchLogEntry& entry = m_entries.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return entry.Text;
    case Qt::DecorationRole:
        return entry.Kind < kKindCount ? m_icons[entry.Kind] : QIcon();
    default:
        return {};
    }
}

QVariant TLogCopyModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (section == 0 && orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return QStringLiteral("Event");
    return {};
}

bool TLogCopyModel::synchronize()
{
    LockGuard guard(m_log);
    if (!m_log.Changed && !m_log.Rebuild)
        return false;
    const int logCount = m_log.Count();
    bool changed = false;
    if (m_log.Rebuild || m_entries.size() > logCount) {
        beginResetModel();
        m_entries.clear();
        m_entries.reserve(logCount);
        for (int i = 0; i < logCount; ++i)
            m_entries.append(m_log[i]);
        endResetModel();
        changed = true;
    } else if (m_entries.size() < logCount) {
        const int first = static_cast<int>(m_entries.size());
        beginInsertRows(QModelIndex(), first, logCount - 1);
        for (int i = first; i < logCount; ++i)
            m_entries.append(m_log[i]);
        endInsertRows();
        changed = true;
    }
    m_log.Changed = false;
    m_log.Rebuild = false;
    return changed;
}

void TLogCopyModel::rebuild()
{
    {
        LockGuard guard(m_log);
        m_log.Rebuild = true;
    }
    synchronize();
}

QIcon TLogCopyModel::KindIcon(int kind)
{
    const QStyle* style = QApplication::style();
    switch (kind) {
    case lkInfo: return style->standardIcon(QStyle::SP_MessageBoxInformation);
    case lkScope: return style->standardIcon(QStyle::SP_DriveNetIcon);
    case lkComputer: return style->standardIcon(QStyle::SP_ComputerIcon);
    case lkError: return style->standardIcon(QStyle::SP_MessageBoxCritical);
    default: return {};
    }
}
