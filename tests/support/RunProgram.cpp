#include "support/RunProgram.h"

#include "support/FixtureServerProcess.h"

// Not QProcess: its vfork-style start makes ThreadSanitizer reset its view of the
// whole test process (see FixtureServerProcess.h), so a later thread start dies.
TProgramResult RunProgram(const QString& program, const QStringList& arguments, int timeoutMs)
{
    FixtureCommandResult run = RunFixtureCommand(program, arguments, timeoutMs);
    TProgramResult result;
    result.exitCode = run.finished ? run.exitCode : -1;
    result.output = std::move(run.output);
    result.errors = run.finished ? std::move(run.errors) : QByteArray("timed out");
    return result;
}

QString FixturePath(const QString& name)
{
    return QStringLiteral(KESTROVA_FIXTURES_DIR "/") + name;
}
