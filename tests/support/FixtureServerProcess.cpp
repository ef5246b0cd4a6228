#include "support/FixtureServerProcess.h"

#include <QElapsedTimer>
#include <QFile>

namespace {

const QString kPython = QStringLiteral("/usr/bin/python3");
constexpr int kStartTimeoutMs = 15000;
constexpr int kStopTimeoutMs = 5000;
constexpr int kExitUnavailable = 77;

} // namespace

bool FixtureServerProcess::start(const QStringList& arguments, const QString& description, QString& why,
                                 bool& unavailable)
{
    unavailable = false;
    if (!QFile::exists(kPython)) {
        unavailable = true;
        why = kPython + QStringLiteral(" is not installed");
        return false;
    }
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.start(kPython, arguments);
    if (!m_process.waitForStarted(kStartTimeoutMs)) {
        why = QStringLiteral("cannot start ") + arguments.value(0) + QStringLiteral(": ") +
              m_process.errorString();
        return false;
    }
    // Ready once it prints the port it listens on.
    QElapsedTimer timer;
    timer.start();
    QByteArray output;
    while (timer.elapsed() < kStartTimeoutMs) {
        if (!m_process.canReadLine() && !m_process.waitForReadyRead(200) &&
            m_process.state() == QProcess::NotRunning)
            break;
        output += m_process.readAllStandardOutput();
        const qsizetype at = output.indexOf("PORT ");
        if (at >= 0 && output.indexOf('\n', at) > at) {
            m_port = static_cast<uint16_t>(output.mid(at + 5, output.indexOf('\n', at) - at - 5).toUInt());
            return true;
        }
    }
    m_process.waitForFinished(500);
    const QByteArray errors = m_process.readAllStandardError().trimmed();
    unavailable = m_process.state() == QProcess::NotRunning &&
                  m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == kExitUnavailable;
    why = QStringLiteral("%1 did not start: %2")
              .arg(description, errors.isEmpty() ? QStringLiteral("no readiness line") : QString(errors));
    return false;
}

FixtureServerProcess::~FixtureServerProcess()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate(); // SIGTERM to this child's PID only
    if (!m_process.waitForFinished(kStopTimeoutMs)) {
        m_process.kill();
        m_process.waitForFinished(kStopTimeoutMs);
    }
}
