#pragma once

#include "app/CommandLine.h"

#include <QString>

class TMainWindow;

// Results files and reports of the main window: "&Load Results ...", "&Save Results ...",
// "Export ...", "Create &Batch File ..." and the command line's export switches.
class TResultsExports {
public:
    explicit TResultsExports(TMainWindow& window);

    // Makes the window's four commands run here.
    void installCommands();
    // One command-line export; failures are shown and give false.
    bool writeExport(TCommandLine::ExportKind kind, const QString& fileName);

private:
    TMainWindow& m_window;
};
