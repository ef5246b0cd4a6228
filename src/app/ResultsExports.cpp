#include "app/ResultsExports.h"

#include "app/MainWindow.h"
#include "app/UserPrompts.h"

TResultsExports::TResultsExports(TMainWindow& window) : m_window(window) {}

void TResultsExports::installCommands() {}

bool TResultsExports::writeExport(TCommandLine::ExportKind, const QString& fileName)
{
    ShowError(QStringLiteral("Unable to write \"%1\": exports are not available yet").arg(fileName));
    return false;
}
