#include "dialogs/HostsViewForm.h"

#include "dialogs/HostSummaryExport.h"
#include "model/Error.h"
#include "widgets/FileDialogs.h"
#include "widgets/UserPrompts.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace {

QString SharesText(const THostProgressLine& line)
{
    QStringList shares;
    for (const TShareSummary& share : line.Shares)
        shares.append(QStringLiteral("%1 (%2)").arg(share.Name, share.Access));
    return shares.join(QStringLiteral(", "));
}

// One line per share with what the table has no room for: its comment, or why it was refused.
QString SharesToolTip(const THostProgressLine& line)
{
    QStringList shares;
    for (const TShareSummary& share : line.Shares) {
        const QString remark = share.Error.isEmpty() ? share.Comment : share.Error;
        shares.append(remark.isEmpty() ? share.Name : QStringLiteral("%1: %2").arg(share.Name, remark));
    }
    return shares.join(u'\n');
}

QString SecondsText(int64_t milliseconds)
{
    return QStringLiteral("%1 s").arg(static_cast<double>(milliseconds) / 1000.0, 0, 'f', 1);
}

} // namespace

int THostsTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_lines.size());
}

int THostsTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QString THostsTableModel::StateCellText(const THostProgressLine& line)
{
    QString state = HostStateText(line.State);
    if (line.State == THostState::AccessDenied && !line.Detail.isEmpty())
        return QStringLiteral("%1 (%2)").arg(state, line.Detail);
    return state;
}

QVariant THostsTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const THostProgressLine& line = m_lines[static_cast<size_t>(index.row())];
    if (role == Qt::ToolTipRole && index.column() == SharesColumn && !line.Shares.empty())
        return SharesToolTip(line);
    if (role == Qt::ToolTipRole)
        return line.Detail.isEmpty() ? QVariant() : QVariant(line.Detail);
    if (role == Qt::TextAlignmentRole && (index.column() == HitsColumn || index.column() == TimeColumn))
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case HostColumn:
        return line.Host;
    case StateColumn:
        return StateCellText(line);
    case HitsColumn:
        return QString::number(line.Hits);
    case TimeColumn:
        return line.State == THostState::Waiting ? QString() : SecondsText(line.ElapsedMs);
    case SharesColumn:
        return SharesText(line);
    default:
        return {};
    }
}

QVariant THostsTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const char* const kCaptions[ColumnCount] = {"Host", "State", "Hits", "Time", "Shares"};
    return section >= 0 && section < ColumnCount ? QString::fromLatin1(kCaptions[section]) : QVariant();
}

void THostsTableModel::setLines(std::vector<THostProgressLine> lines)
{
    // The tracker only appends hosts (a rename keeps the place): the rows that were
    // there change in place, so the selection and the scroll position stay.
    const auto old = static_cast<int>(m_lines.size());
    const auto now = static_cast<int>(lines.size());
    if (now < old) {
        beginResetModel();
        m_lines = std::move(lines);
        endResetModel();
        return;
    }
    if (now > old)
        beginInsertRows(QModelIndex(), old, now - 1);
    m_lines = std::move(lines);
    if (now > old)
        endInsertRows();
    if (old > 0)
        Q_EMIT dataChanged(index(0, 0), index(old - 1, ColumnCount - 1));
}

THostsViewForm::THostsViewForm(ProgressSource source, QWidget* parent, std::function<bool()> searching)
    : TToolWindow(QStringLiteral("Hosts"), QSize(560, 300), parent), m_source(std::move(source)),
      m_searching(std::move(searching))
{
    setObjectName(QStringLiteral("HostsViewForm"));
    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("HostsTable"));
    m_table->setModel(&m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setWordWrap(false);
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setDefaultSectionSize(std::max(fontMetrics().height() + 4, 20));
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    const int widths[] = {130, 150, 50, 60};
    for (int column = 0; column < 4; ++column)
        m_table->setColumnWidth(column, widths[column]);

    m_exportButton = new QPushButton(QStringLiteral("&Export ..."), this);
    m_exportButton->setObjectName(QStringLiteral("ExportButton"));
    connect(m_exportButton, &QPushButton::clicked, this, &THostsViewForm::exportSummary);
    auto* closeButton = new QPushButton(QStringLiteral("&Close"), this);
    closeButton->setObjectName(QStringLiteral("CloseButton"));
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_exportButton);
    buttons->addStretch();
    buttons->addWidget(closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kInnerBorder, kInnerBorder, kInnerBorder, kInnerBorder);
    layout->addWidget(m_table);
    layout->addLayout(buttons);

    chooseFileName = [](QWidget* owner) {
        return FileDialogs().saveFileName(
            owner, QStringLiteral("Export Hosts"),
            QStringLiteral("CSV files (*.csv)|*.csv|JSON files (*.json)|*.json"), QStringLiteral(".csv"));
    };
    m_timer.setInterval(kClockIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &THostsViewForm::refresh);
    refresh();
}

THostsViewForm::~THostsViewForm()
{
    // No notice may be queued to a window that is gone.
    if (m_progress)
        m_progress->SetOnChange(this, {});
}

void THostsViewForm::refresh()
{
    std::shared_ptr<THostProgress> progress = m_source ? m_source() : nullptr;
    if (progress != m_progress) {
        if (m_progress)
            m_progress->SetOnChange(this, {});
        m_progress = std::move(progress);
        if (m_progress)
            m_progress->SetOnChange(this, m_notice.Hook());
        m_model.setLines({});
    }
    m_model.setLines(m_progress ? m_progress->Lines() : std::vector<THostProgressLine>{});
    // A stopped search leaves hosts on their way for good: no clock for them then.
    const bool onTheWay =
        (!m_searching || m_searching()) &&
        std::any_of(m_model.lines().begin(), m_model.lines().end(),
                    [](const THostProgressLine& line) { return !HostStateIsFinal(line.State); });
    if (onTheWay && !m_timer.isActive())
        m_timer.start();
    else if (!onTheWay)
        m_timer.stop();
}

bool THostsViewForm::exportSummary()
{
    const QString fileName = chooseFileName(this);
    if (fileName.isEmpty())
        return false;
    try {
        SaveHostSummary(fileName, m_model.lines());
        return true;
    } catch (const std::exception& error) {
        ShowError(ExceptionMessage(error));
        return false;
    }
}

THostsViewForm* ToggleHostsView(QAction* action, QWidget* mainWindow, THostsViewForm::ProgressSource source,
                                std::function<bool()> searching)
{
    return ToggleToolWindow<THostsViewForm>(action, mainWindow, [&] {
        return new THostsViewForm(std::move(source), mainWindow, std::move(searching));
    });
}
