#include "app/SearchControl.h"

#include "app/ResultSearch.h"
#include "app/ResultsModel.h"
#include "app/SearchEngineLink.h"
#include "app/SearchHistory.h"
#include "app/SearchProgressText.h"
#include "app/SearchValidation.h"
#include "app/ToolbarIcons.h"
#include "dialogs/WorkerListActivities.h"
#include "engine/SearchSession.h"
#include "model/CountText.h"
#include "model/Error.h"
#include "store/MakeThreadConfig.h"
#include "store/Settings.h"
#include "widgets/UserPrompts.h"

#include <QAction>
#include <QComboBox>
#include <utility>

namespace {

QStringList Items(const QComboBox* box)
{
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items.append(box->itemText(i));
    return items;
}

// Replaces the drop-down items and keeps what the user typed in the box.
void SetItems(QComboBox* box, const QStringList& items)
{
    const QString text = box->currentText();
    box->clear();
    box->addItems(items);
    box->setCurrentIndex(-1);
    box->setEditText(text);
}

void AddToHistory(QComboBox* box)
{
    QStringList items = Items(box);
    const QString text = box->currentText();
    AddHistoryItem(items, text);
    if (items != Items(box))
        SetItems(box, items);
}

} // namespace

TSearchControl::TSearchControl(const Widgets& widgets, TResultsModel& model, TSearchEngineLink& engine,
                               const TSettings& settings, std::function<void(const QString&)> setStatusText,
                               QObject* parent)
    : QObject(parent), m_widgets(widgets), m_model(model), m_engine(&engine), m_settings(settings),
      m_setStatusText(std::move(setStatusText))
{
}

bool TSearchControl::execute()
{
    if (m_running) {
        stopSearch();
        return false;
    }
    try {
        const QString refusal = SearchRefusal(
            TSearchRequest{m_settings.SearchMethod, m_settings.ResList, m_settings.FoldersSearchMethod,
                           m_settings.FolderList, m_widgets.masks->currentText()});
        if (!refusal.isEmpty())
            RaiseError(refusal);
        startSearch();
        return true;
    } catch (const std::exception& error) {
        ShowError(ExceptionMessage(error));
        return false;
    }
}

void TSearchControl::startSearch()
{
    AddToHistory(m_widgets.masks);
    AddToHistory(m_widgets.texts);

    m_model.clearItems();
    m_lastLogCount = 0; // the new session's log counts from zero
    m_lastShownCount = -1;
    m_newestLine.clear();
    m_lineAge.invalidate();

    const TThreadConfig config =
        MakeThreadConfig(m_settings, m_widgets.masks->currentText(), m_widgets.texts->currentText());
    m_running = true;
    try {
        m_session = m_engine->start(config, [this] { searchEnded(); });
    } catch (...) {
        m_running = false; // no thread runs that could ever clear it
        throw;
    }
    Q_EMIT sessionChanged();
    showCommandState(true);
    Q_EMIT started();
}

void TSearchControl::stopSearch()
{
    // Exact text: the status line while a search stops; the search control tests wait
    // for it.
    m_setStatusText(QStringLiteral("Shutting down..."));
    m_engine->requestStop();
}

void TSearchControl::stopForExit()
{
    m_exitRequested = true;
    stopSearch();
}

void TSearchControl::searchEnded()
{
    m_model.flushRowCount();
    m_running = false;
    showCommandState(false);
    // A program on its way out asks nothing more; a stopped search does not call itself
    // completed.
    const bool exiting = std::exchange(m_exitRequested, false);
    const bool stopped = m_session && m_session->StopRequested();
    // Exact text: the end-of-search messages, as the search control tests compare them.
    if (m_settings.CompleteMessage && !exiting)
        ShowInfo(stopped ? QStringLiteral("Search stopped. Found %1.")
                               .arg(CountText(m_model.items().size(), QStringLiteral("file"),
                                              QStringLiteral("files")))
                         : QStringLiteral("Search completed. Found %1 files.").arg(m_model.items().size()));
    updateStatusFromLog();
    showResultSummary();
    Q_EMIT ended();
}

void TSearchControl::showCommandState(bool searching)
{
    // Exact text: the start button's captions; the search control tests compare them.
    const QString caption = searching ? QStringLiteral("Stop Search") : QStringLiteral("Start Search");
    m_widgets.command->setText(caption);
    m_widgets.command->setToolTip(caption);
    m_widgets.command->setStatusTip(caption);
    m_widgets.command->setIcon(searching ? StopSearchIcon() : StartSearchIcon());
}

int TSearchControl::threadCount() const
{
    return m_engine->runningWorkers() + (m_running ? 1 : 0);
}

void TSearchControl::updateStatusFromLog()
{
    if (!m_session)
        return;
    int count = 0;
    QString newest;
    m_session->Log().WithLock([&](const TSearchLogState& state) {
        count = static_cast<int>(state.Entries.size());
        if (count > 0)
            newest = state.Entries.back().Text;
    });
    if (count > 0 && count != m_lastLogCount) {
        m_lastLogCount = count;
        m_newestLine = newest;
        m_lineAge.start();
    } else if (!m_running || m_session->StopRequested()) {
        return; // nothing new; "Shutting down..." and the summary stay
    }
    QStringList activities;
    if (m_running && !m_session->StopRequested()) {
        for (const TWorkerActivityLine& line : TWorkerListActivities(m_session->Workers()).ReadActivities())
            activities.append(line.text);
    }
    const QString text =
        RunningStatusText(m_newestLine, m_lineAge.isValid() ? m_lineAge.elapsed() : 0, activities);
    if (!text.isEmpty() && (count != m_lastShownCount || text != m_lastShownText)) {
        m_setStatusText(text);
        m_lastShownText = text;
        m_lastShownCount = count;
    }
}

void TSearchControl::showResultSummary()
{
    m_setStatusText(ResultSummaryText(m_model.items()));
}

QStringList TSearchControl::maskHistory() const
{
    return Items(m_widgets.masks);
}

QStringList TSearchControl::textHistory() const
{
    return Items(m_widgets.texts);
}

void TSearchControl::setHistories(const QStringList& masks, const QStringList& texts)
{
    SetItems(m_widgets.masks, masks);
    SetItems(m_widgets.texts, texts);
}
