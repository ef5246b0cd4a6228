#pragma once

#include "app/CommandLine.h"
#include "app/RunSummary.h"

#include <QObject>
#include <functional>
#include <memory>

class TMainWindow;

// The command line's two halves. At start: "/range:" (every one, the last winning),
// then every "/mask:" and "/text:", then one search when any of them was given. After
// every search: the export switches in argument order, then `close`.
//
// "/text:" does not depend on its position: all mask and text values are applied
// before the single search starts, so "/text:x /mask:y" and "/mask:y /text:x" search
// the same way.
class TCommandLineSession : public QObject {
    Q_OBJECT
public:
    // Writes one export; reports its own failure to the user and returns false then.
    using ExportWriter = std::function<bool(TCommandLine::ExportKind kind, const QString& fileName)>;

    TCommandLineSession(TCommandLine commandLine, TMainWindow& window, ExportWriter writer,
                        QObject* parent = nullptr);

    // Unattended runs: each search ends with a summary line on stderr; with live (stderr
    // is a terminal) a progress line is rewritten while it runs. Call before
    // applyStartSwitches.
    void reportOnStderr(bool live);

    // The start half; true when a search was started.
    bool applyStartSwitches();
    // The end half (the window's searchEnded): exports, then `close`.
    void runEndOfSearch();

    const TCommandLine& commandLine() const { return m_commandLine; }
    bool searchRefused() const { return m_searchRefused; }
    // Some export of the command line failed (the exit status tells scripts).
    bool exportFailed() const { return m_exportFailed; }
    // With `close`: the last search was of IP ranges and not one of them was valid (it
    // searched nothing); the log's error lines went to stderr.
    bool rangesInvalid() const { return m_rangesInvalid; }
    // Whether the command line asks for an unattended run that ends by itself (`close`
    // with a hidden window or without a display).
    bool unattended(bool headless) const;
    // An unattended run that would search nothing: no "/mask:" and no "/text:".
    bool nothingToSearch(bool headless) const;
    // After the event loop: 0 ok; 1 a failed export; 2 every range invalid (with `close`).
    int exitStatus() const;

Q_SIGNALS:
    // `close`: the application should end now.
    void terminateRequested();

private:
    TCommandLine m_commandLine;
    TMainWindow& m_window;
    ExportWriter m_writer;
    bool m_searchRefused = false;
    bool m_exportFailed = false;
    bool m_rangesInvalid = false;
    std::unique_ptr<TRunReporter> m_reporter;
};
