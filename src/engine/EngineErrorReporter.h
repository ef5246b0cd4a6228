#pragma once

#include <QString>
#include <mutex>
#include <vector>

// How an engine thread shows an error that ended it ("Worker thread unhandled
// expception: ...", "TQueueThread: ..."). The GUI shows a modal message box and
// returns once it is closed; headless runs write to standard error.
class EngineErrorReporter {
public:
    virtual ~EngineErrorReporter() = default;
    // Called on the failing engine thread; returns once the error has been shown.
    virtual void ReportError(const QString& message) = 0;
};

// Shows the message through reporter, or on standard error when there is none.
void ReportEngineError(EngineErrorReporter* reporter, const QString& message);

// Headless reporter: one line on standard error per message, and a copy kept.
class StdErrErrorReporter : public EngineErrorReporter {
public:
    explicit StdErrErrorReporter(bool writeToStdErr = true) : m_writeToStdErr(writeToStdErr) {}
    void ReportError(const QString& message) override;
    std::vector<QString> Messages();

private:
    const bool m_writeToStdErr;
    std::mutex m_mutex;
    std::vector<QString> m_messages;
};
