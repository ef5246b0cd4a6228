#include "dialogs/LogCopyModel.h"

#include <QApplication>
#include <QStyle>

TLogCopyModel::TLogCopyModel(LogSource source, QObject* parent)
    : QAbstractListModel(parent), m_source(std::move(source))
{
    for (int kind = 0; kind < kKindCount; ++kind)
        m_icons[kind] = KindIcon(static_cast<TSearchLogKind>(kind));
}

TLogCopyModel::TLogCopyModel(TEngineSearchLog& log, QObject* parent)
    : TLogCopyModel([&log] { return std::shared_ptr<TEngineSearchLog>(std::shared_ptr<void>(), &log); },
                    parent)
{
}

TLogCopyModel::~TLogCopyModel()
{
    follow(nullptr);
}

void TLogCopyModel::follow(std::shared_ptr<TEngineSearchLog> log)
{
    if (m_log)
        m_log->SetOnChange({});
    m_log = std::move(log);
    // Hooked before the copy is taken: a line added after this is either copied or notified.
    if (m_log)
        m_log->SetOnChange(m_notice.Hook());
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
        return static_cast<int>(entry.Kind) < kKindCount ? m_icons[static_cast<int>(entry.Kind)] : QIcon();
    default:
        return {};
    }
}

QVariant TLogCopyModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (section == 0 && orientation == Qt::Horizontal && role == Qt::DisplayRole)
        // Exact text: the column caption the log window tests compare.
        return QStringLiteral("Event");
    return {};
}

bool TLogCopyModel::synchronize()
{
    std::shared_ptr<TEngineSearchLog> log = m_source ? m_source() : nullptr;
    if (log.get() != m_log.get()) {
        // Another session: its log replaces the copy whatever its flags say.
        follow(std::move(log));
        if (m_log)
            m_log->WithLock([](TSearchLogState& state) { state.Rebuild = true; });
        else if (!m_entries.isEmpty()) {
            beginResetModel();
            m_entries.clear();
            endResetModel();
            return true;
        }
    }
    if (!m_log)
        return false;
    return m_log->WithLock([this](TSearchLogState& state) {
        if (!state.Changed && !state.Rebuild)
            return false;
        const int logCount = static_cast<int>(state.Entries.size());
        bool changed = false;
        if (state.Rebuild || m_entries.size() > logCount) {
            beginResetModel();
            m_entries.clear();
            m_entries.reserve(logCount);
            m_entries.append(QList<TSearchLogEntry>(state.Entries.begin(), state.Entries.end()));
            endResetModel();
            changed = true;
        } else if (m_entries.size() < logCount) {
            const int first = static_cast<int>(m_entries.size());
            beginInsertRows(QModelIndex(), first, logCount - 1);
            for (int i = first; i < logCount; ++i)
                m_entries.append(state.Entries[static_cast<size_t>(i)]);
            endInsertRows();
            changed = true;
        }
        state.Changed = false;
        state.Rebuild = false;
        return changed;
    });
}

void TLogCopyModel::rebuild()
{
    if (m_log)
        m_log->WithLock([](TSearchLogState& state) { state.Rebuild = true; });
    synchronize();
}

QIcon TLogCopyModel::KindIcon(TSearchLogKind kind)
{
    const QStyle* style = QApplication::style();
    switch (kind) {
    case TSearchLogKind::Info:
        return style->standardIcon(QStyle::SP_MessageBoxInformation);
    case TSearchLogKind::Scope:
        return style->standardIcon(QStyle::SP_DriveNetIcon);
    case TSearchLogKind::Computer:
        return style->standardIcon(QStyle::SP_ComputerIcon);
    case TSearchLogKind::Error:
        return style->standardIcon(QStyle::SP_MessageBoxCritical);
    default:
        return {};
    }
}
