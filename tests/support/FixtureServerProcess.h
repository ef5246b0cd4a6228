#pragma once

#include "support/RunProgram.h" // FixturePath

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <sys/types.h>

// What a command run by RunFixtureCommand did.
struct FixtureCommandResult {
    bool finished = false; // ended within the time-out (else it was killed)
    int exitCode = -1;     // -1 when it did not exit normally
    QByteArray output;
    QByteArray errors;
};

// Runs a command (a fixture script, a tool) the same way as the servers below and
// waits for it, at most timeoutMs milliseconds.
FixtureCommandResult RunFixtureCommand(const QString& program, const QStringList& arguments, int timeoutMs);

// A test server of tests/fixtures/ (a Python script) in a child process. The script
// prints "PORT <n>" once it listens and exits with 77 when something it needs is
// not installed. The process is stopped by its PID (SIGTERM, then SIGKILL) when the
// object goes.
//
// The child is started by StartChild (support/ChildProcess.h), not QProcess. Its
// output goes to anonymous files, so a chatty server never blocks on a full pipe
// nobody reads.
class FixtureServerProcess {
public:
    FixtureServerProcess() = default;
    ~FixtureServerProcess();
    FixtureServerProcess(const FixtureServerProcess&) = delete;
    FixtureServerProcess& operator=(const FixtureServerProcess&) = delete;

    // Runs /usr/bin/python3 with the arguments (the script first) and waits for its
    // port. On failure returns false with `why` (naming `description`) and tells
    // whether the failure means "not installed" (the caller should skip).
    bool start(const QStringList& arguments, const QString& description, QString& why, bool& unavailable);

    // Runs a program (looked up in PATH unless it names a path) with the arguments and
    // returns at once; false with errno set when it cannot be started.
    bool startProgram(const QString& program, const QStringList& arguments);
    // Whether the child started last still runs (an ended one is reaped).
    bool running();
    // What the child wrote so far: its standard output, then its standard error.
    QByteArray output() const;

    uint16_t port() const { return m_port; }
    qint64 pid() const { return m_pid; }

private:
    // Ends the child if it runs (SIGTERM, SIGKILL after a grace time) and reaps it;
    // its wait status, or -1 when there was none.
    int stop();

    pid_t m_pid = 0;
    uint16_t m_port = 0;
    int m_output = -1; // the child's standard output and error
    int m_errors = -1;
};
