#include "app/CommandLineSession.h"

#include "app/MainWindow.h"
#include "app/SearchControl.h"
#include "model/Error.h"
#include "store/Settings.h"
#include "widgets/UserPrompts.h"

#include <QComboBox>

TCommandLineSession::TCommandLineSession(TCommandLine commandLine, TMainWindow& window, ExportWriter writer,
                                         QObject* parent)
    : QObject(parent), m_commandLine(std::move(commandLine)), m_window(window), m_writer(std::move(writer))
{
    connect(&m_window, &TMainWindow::searchEnded, this, &TCommandLineSession::runEndOfSearch);
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

void TCommandLineSession::runEndOfSearch()
{
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
