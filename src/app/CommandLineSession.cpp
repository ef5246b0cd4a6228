#include "app/CommandLineSession.h"

#include "app/MainWindow.h"
#include "app/ResultsModel.h"
#include "app/SearchControl.h"
#include "engine/IpRange.h"
#include "engine/SearchSession.h"
#include "model/Error.h"
#include "store/Settings.h"
#include "widgets/UserPrompts.h"

#include <QComboBox>
#include <QTextStream>
#include <algorithm>

TCommandLineSession::TCommandLineSession(TCommandLine commandLine, TMainWindow& window, ExportWriter writer,
                                         QObject* parent)
    : QObject(parent), m_commandLine(std::move(commandLine)), m_window(window), m_writer(std::move(writer))
{
    connect(&m_window, &TMainWindow::searchEnded, this, &TCommandLineSession::runEndOfSearch);
}

void TCommandLineSession::reportOnStderr(bool live)
{
    TRunReporter::Sources sources;
    sources.session = [this] { return m_window.searchControl().session(); };
    sources.hits = [this] { return static_cast<long long>(m_window.resultsModel().items().size()); };
    sources.write = [](const QString& text) {
        QTextStream errors(stderr);
        errors << text;
        errors.flush();
    };
    m_reporter = std::make_unique<TRunReporter>(std::move(sources), live);
    connect(&m_window.searchControl(), &TSearchControl::started, m_reporter.get(),
            &TRunReporter::searchStarted);
}

bool TCommandLineSession::applyStartSwitches()
{
    if (m_commandLine.isEmpty())
        return false;
    if (m_commandLine.hasRange()) {
        m_window.settings().Settings.SearchMethod = TSearchType::IpAddressRange;
        m_window.settings().Settings.ResList = QStringList{m_commandLine.lastRange()};
    }
    const TCommandLine::SearchPreset preset = m_commandLine.searchPreset();
    if (preset.hasMask) {
        m_window.settings().Settings.CompleteMessage = false;
        m_window.maskBox()->setEditText(preset.mask);
    }
    if (preset.hasText) {
        m_window.settings().Settings.CompleteMessage = false;
        m_window.settings().Settings.EnableTextSearch = true;
        m_window.textBox()->setEditText(preset.text);
        m_window.applyViewSettings();
    }
    if (!preset.hasMask && !preset.hasText)
        return false;
    const bool started = m_window.searchControl().execute();
    m_searchRefused = !started;
    return started;
}

bool TCommandLineSession::unattended(bool headless) const
{
    return m_commandLine.close() && (headless || m_commandLine.hide());
}

bool TCommandLineSession::nothingToSearch(bool headless) const
{
    const TCommandLine::SearchPreset preset = m_commandLine.searchPreset();
    return unattended(headless) && !preset.hasMask && !preset.hasText;
}

int TCommandLineSession::exitStatus() const
{
    if (m_rangesInvalid)
        return 2;
    return m_exportFailed ? 1 : 0;
}

void TCommandLineSession::runEndOfSearch()
{
    if (m_reporter)
        m_reporter->searchEnded();
    m_rangesInvalid = m_commandLine.close() &&
                      m_window.settings().Settings.SearchMethod == TSearchType::IpAddressRange &&
                      std::none_of(m_window.settings().Settings.ResList.begin(),
                                   m_window.settings().Settings.ResList.end(), [](const QString& entry) {
                                       uint32_t first = 0;
                                       uint32_t last = 0;
                                       return ParseIPRange(entry, first, last);
                                   });
    if (m_rangesInvalid) {
        // The window that would show them goes now: the error lines go where a script sees them.
        if (const std::shared_ptr<TSearchSession> search = m_window.searchControl().session()) {
            search->Log().WithLock([](const TSearchLogState& state) {
                QTextStream errors(stderr);
                for (const TSearchLogEntry& entry : state.Entries) {
                    if (entry.Kind == TSearchLogKind::Error)
                        errors << entry.Text << '\n';
                }
            });
        }
    }
    try {
        for (const TCommandLine::Export& entry : m_commandLine.exports()) {
            const QString fileName = ExpandExportFileName(entry.fileName, QDateTime::currentDateTime());
            if (!m_writer(entry.kind, fileName))
                m_exportFailed = true;
        }
    } catch (const std::exception& error) {
        m_exportFailed = true;
        ShowError(ExceptionMessage(error));
    }
    if (m_commandLine.close())
        Q_EMIT terminateRequested();
}
