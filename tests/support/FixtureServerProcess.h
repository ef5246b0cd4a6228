#pragma once

#include "support/RunProgram.h" // FixturePath

#include <QProcess>
#include <QString>
#include <QStringList>
#include <cstdint>

// A test server of tests/fixtures/ (a Python script) in a child process. The script
// prints "PORT <n>" once it listens and exits with 77 when something it needs is
// not installed. The process is stopped by its PID (through QProcess: SIGTERM, then
// SIGKILL) when the object goes.
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

    uint16_t port() const { return m_port; }
    qint64 pid() const { return m_process.processId(); }

private:
    QProcess m_process;
    uint16_t m_port = 0;
};
