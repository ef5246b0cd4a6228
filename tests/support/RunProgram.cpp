#include "support/RunProgram.h"

#include <QProcess>

TProgramResult RunProgram(const QString& program, const QStringList& arguments, int timeoutMs)
{
    QProcess process;
    process.start(program, arguments);
    TProgramResult result;
    if (!process.waitForStarted(timeoutMs)) {
        result.errors = process.errorString().toUtf8();
        return result;
    }
    process.closeWriteChannel();
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(5000);
        result.errors = "timed out";
        return result;
    }
    result.output = process.readAllStandardOutput();
    result.errors = process.readAllStandardError();
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return result;
}

QString FixturePath(const QString& name)
{
    return QStringLiteral(KESTROVA_FIXTURES_DIR "/") + name;
}
