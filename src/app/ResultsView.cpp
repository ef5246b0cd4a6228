#include "app/ResultsView.h"

#include "app/ResultCopyTexts.h"
#include "app/ResultSearch.h"
#include "app/ResultSorting.h"
#include "app/ResultsModel.h"
#include "dialogs/FindDialog.h"
#include "widgets/UserPrompts.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>
#include <QScrollBar>
#include <QStyle>

namespace {

// Menu texts show the caption unchanged: no ampersand becomes an accelerator.
QString MenuText(const QString& caption)
{
    return QString(caption).replace(u'&', QStringLiteral("&&"));
}

} // namespace

TResultsView::TResultsView(TResultsModel& model, QWidget* parent) : QTableView(parent), m_model(model)
{
    setObjectName(QStringLiteral("ListView"));
    setModel(&m_model);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setTextElideMode(Qt::ElideRight);
    setIconSize(QSize(16, 16));
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(std::max(fontMetrics().height() + 4, 20));
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &TResultsView::sortByColumn);
    // A new list (a search, a load) and rows that arrive come in their own order: the
    // indicator of an earlier sort would claim an order that is not there.
    connect(&m_model, &QAbstractItemModel::modelReset, this, &TResultsView::forgetSortOrder);
    connect(&m_model, &QAbstractItemModel::rowsInserted, this, &TResultsView::forgetSortOrder);
}

void TResultsView::forgetSortOrder()
{
    // A new filter text shows the same list in the same order.
    if (m_sorting || m_model.refiltering())
        return;
    m_sortTag = 0;
    horizontalHeader()->setSortIndicatorShown(false);
}

void TResultsView::setPopupActions(const QHash<TCommand, QAction*>& actions)
{
    m_actions = actions;
    m_popup = new QMenu(this);
    m_popup->setObjectName(QStringLiteral("FileOperationsPopupMenu"));
    auto add = [this](TCommand command) { m_popup->addAction(m_actions.value(command)); };
    add(TCommand::Open);
    m_popup->setDefaultAction(m_actions.value(TCommand::Open));
    add(TCommand::Copy);
    add(TCommand::Move);
    add(TCommand::OpenFolder);
    m_popup->addSeparator();
    add(TCommand::Delete);
    add(TCommand::Rename);
    m_popup->addSeparator();
    QMenu* copyPath = m_popup->addMenu(QStringLiteral("Copy path ..."));
    copyPath->setObjectName(QStringLiteral("CopyPathMenu"));
    for (TCommand command : {TCommand::CopyFullName, TCommand::CopyUrl, TCommand::CopyFileName,
                             TCommand::CopyFilePath, TCommand::CopyFileDrive}) {
        copyPath->addAction(m_actions.value(command));
        connect(m_actions.value(command), &QAction::triggered, this,
                [this, command] { copyCaption(command); });
    }
    add(TCommand::ShortcutToDesktop);
    add(TCommand::Properties);
    add(TCommand::MapDriveForFile);
    connect(m_popup, &QMenu::aboutToShow, this, &TResultsView::prepareCopyCaptions);
}

void TResultsView::layoutColumns()
{
    // A shown match column takes 40% of the width; the others share the rest as before.
    const int fullWidth = viewport()->width();
    const int width = m_matchShown ? static_cast<int>(fullWidth * 0.6) : fullWidth;
    const int columns = TResultsModel::MatchColumn;
    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    const bool locationShown = m_model.fileNameDisplayFormat() == 1;
    setUpdatesEnabled(false);
    if (locationShown) {
        setColumnWidth(TResultsModel::FileNameColumn, static_cast<int>(width * 0.2));
        setColumnWidth(TResultsModel::LocationColumn, static_cast<int>(width * 0.4));
    } else {
        setColumnWidth(TResultsModel::FileNameColumn, static_cast<int>(width * 0.6));
    }
    setColumnHidden(TResultsModel::LocationColumn, !locationShown);
    for (int column = TResultsModel::SizeColumn; column < columns; ++column)
        setColumnWidth(column, static_cast<int>((width - (columns - 2) * scrollBar) * 0.4 / (columns - 2)));
    setColumnHidden(TResultsModel::MatchColumn, !m_matchShown);
    if (m_matchShown)
        setColumnWidth(TResultsModel::MatchColumn, fullWidth - width - scrollBar);
    setUpdatesEnabled(true);
}

void TResultsView::setMatchColumnShown(bool shown)
{
    m_matchShown = shown;
    layoutColumns();
}

void TResultsView::sortByColumn(int column)
{
    m_model.flushRowCount();
    if (m_model.items().isEmpty())
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const int sortTag = NextSortTag(m_sortTag, column);
    m_sorting = true;
    try {
        m_model.sortItems(sortTag);
    } catch (...) {
        m_sorting = false;
        QApplication::restoreOverrideCursor();
        throw;
    }
    m_sorting = false;
    m_sortTag = sortTag;
    horizontalHeader()->setSortIndicatorShown(true);
    horizontalHeader()->setSortIndicator(column, m_sortTag > 0 ? Qt::AscendingOrder : Qt::DescendingOrder);
    QApplication::restoreOverrideCursor();
}

void TResultsView::showFindDialog()
{
    m_findPosition = -1;
    if (!m_findDialog) {
        m_findDialog = new TFindDialog(this);
        m_findDialog->setObjectName(QStringLiteral("FindDialog"));
        connect(m_findDialog, &TFindDialog::findNext, this, &TResultsView::findNext);
    }
    m_findDialog->show();
    m_findDialog->raise();
    m_findDialog->activateWindow();
}

TFindDialog* TResultsView::findDialog() const
{
    return m_findDialog.data();
}

qsizetype TResultsView::findNext(const QString& text)
{
    m_model.flushRowCount();
    const int selected = firstSelectedViewRow();
    if (selected >= 0)
        selectionModel()->select(m_model.index(selected, 0),
                                 QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    // Among the rows the filter shows: a hidden record cannot be selected.
    const qsizetype found =
        FindNextItem(m_model.rowCount(), m_findPosition, text, [this](qsizetype row) -> const TItemRecord& {
            return m_model.shownRecord(static_cast<int>(row));
        });
    if (found < 0) {
        // Exact text: compared by the main window tests.
        ShowInfo(QStringLiteral("Text not found"));
        return -1;
    }
    m_findPosition = found;
    const QModelIndex index = m_model.index(static_cast<int>(found), 0);
    scrollTo(index, QAbstractItemView::EnsureVisible);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    setFocus();
    return found;
}

void TResultsView::prepareCopyCaptions()
{
    TItemRecord record;
    const bool selected = selectedRecord(record);
    const TCopyTexts texts = CopyTextsFor(selected ? &record : nullptr);
    const std::pair<TCommand, QString> captions[] = {{TCommand::CopyFullName, texts.fullName},
                                                     {TCommand::CopyFileName, texts.fileName},
                                                     {TCommand::CopyFilePath, texts.filePath},
                                                     {TCommand::CopyFileDrive, texts.fileDrive},
                                                     {TCommand::CopyUrl, texts.url}};
    for (const auto& [command, text] : captions) {
        if (QAction* action = m_actions.value(command)) {
            action->setText(MenuText(text));
            action->setData(text);
        }
    }
}

void TResultsView::copyCaption(TCommand command)
{
    if (QAction* action = m_actions.value(command))
        QApplication::clipboard()->setText(action->data().toString());
}

int TResultsView::firstSelectedViewRow() const
{
    // From the selection's ranges, not its rows: a selection of every row of a large
    // list stays cheap to ask, and the availability check asks often.
    int first = -1;
    for (const QItemSelectionRange& range : selectionModel()->selection()) {
        if (first < 0 || range.top() < first)
            first = range.top();
    }
    return first;
}

int TResultsView::firstSelectedRow() const
{
    // The filter keeps the list's order, so the lowest row shows the lowest item.
    return m_model.itemRow(firstSelectedViewRow());
}

QList<int> TResultsView::selectedItemRows() const
{
    // From the selection's ranges: a selection of every row of a large list is a
    // single range.
    QList<int> items;
    for (const QItemSelectionRange& range : selectionModel()->selection()) {
        for (int row = range.top(); row <= range.bottom(); ++row)
            items.append(m_model.itemRow(row));
    }
    items.removeAll(-1);
    std::sort(items.begin(), items.end());
    items.erase(std::unique(items.begin(), items.end()), items.end());
    return items;
}

bool TResultsView::selectedRecord(TItemRecord& record) const
{
    const int item = firstSelectedRow();
    if (item < 0)
        return false;
    record = m_model.items().at(item);
    return true;
}

bool TResultsView::isRowSelected(int row) const
{
    return selectionModel()->isRowSelected(row, QModelIndex());
}

bool TResultsView::firstSelectedIsFtp() const
{
    TItemRecord record;
    return selectedRecord(record) && IsFtpItem(record);
}

void TResultsView::resizeEvent(QResizeEvent* event)
{
    QTableView::resizeEvent(event);
    layoutColumns();
}

void TResultsView::contextMenuEvent(QContextMenuEvent* event)
{
    if (m_popup)
        m_popup->popup(event->globalPos());
}

void TResultsView::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTableView::mouseDoubleClickEvent(event);
    if (indexAt(event->position().toPoint()).isValid())
        Q_EMIT openRequested();
}
