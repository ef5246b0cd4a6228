#include "support/FtpTestServer.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>

namespace {

const QString kPython = QStringLiteral("/usr/bin/python3");
constexpr int kStartTimeoutMs = 15000;
constexpr int kStopTimeoutMs = 5000;
constexpr int kExitUnavailable = 77;

QString Fixture(const char* name)
{
    return QStringLiteral(KESTROVA_FIXTURES_DIR "/") + QString::fromLatin1(name);
}

} // namespace

std::unique_ptr<FtpTestServer> FtpTestServer::serveFolder(const QString& address, const QString& root, QString& why,
                                                          uint16_t port)
{
    std::unique_ptr<FtpTestServer> server(new FtpTestServer);
    server->m_address = address;
    return start(std::move(server),
                 {Fixture("ftp_server.py"), QStringLiteral("--address"), address, QStringLiteral("--port"),
                  QString::number(port), QStringLiteral("--root"), root},
                 why);
}

std::unique_ptr<FtpTestServer> FtpTestServer::serveScript(const QString& address, const QJsonObject& script,
                                                          QString& why)
{
    std::unique_ptr<FtpTestServer> server(new FtpTestServer);
    server->m_address = address;
    server->m_workDir = std::make_unique<QTemporaryDir>();
    const QString scriptPath = server->m_workDir->filePath(QStringLiteral("script.json"));
    QFile file(scriptPath);
    if (!server->m_workDir->isValid() || !file.open(QIODevice::WriteOnly) ||
        file.write(QJsonDocument(script).toJson()) < 0) {
        why = QStringLiteral("cannot write the server script ") + scriptPath;
        return nullptr;
    }
    file.close();
    return start(std::move(server),
                 {Fixture("scripted_ftp_server.py"), QStringLiteral("--address"), address,
                  QStringLiteral("--script"), scriptPath, QStringLiteral("--log"),
                  server->m_workDir->filePath(QStringLiteral("commands.log"))},
                 why);
}

std::unique_ptr<FtpTestServer> FtpTestServer::start(std::unique_ptr<FtpTestServer> server,
                                                    const QStringList& arguments, QString& why)
{
    s_unavailable = false;
    if (!QFile::exists(kPython)) {
        s_unavailable = true;
        why = kPython + QStringLiteral(" is not installed");
        return nullptr;
    }
    QProcess& process = server->m_process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(kPython, arguments);
    if (!process.waitForStarted(kStartTimeoutMs)) {
        why = QStringLiteral("cannot start ") + arguments.first() + QStringLiteral(": ") + process.errorString();
        return nullptr;
    }
    // Ready once it prints the port it listens on.
    QElapsedTimer timer;
    timer.start();
    QByteArray output;
    while (timer.elapsed() < kStartTimeoutMs) {
        if (!process.canReadLine() && !process.waitForReadyRead(200) &&
            process.state() == QProcess::NotRunning)
            break;
        output += process.readAll();
        const qsizetype at = output.indexOf("PORT ");
        if (at >= 0 && output.indexOf('\n', at) > at) {
            server->m_port = static_cast<uint16_t>(output.mid(at + 5, output.indexOf('\n', at) - at - 5).toUInt());
            return server;
        }
    }
    process.waitForFinished(500);
    const QByteArray errors = process.readAllStandardError().trimmed();
    s_unavailable = process.state() == QProcess::NotRunning && process.exitStatus() == QProcess::NormalExit &&
                    process.exitCode() == kExitUnavailable;
    why = QStringLiteral("the test FTP server on %1 did not start: %2")
              .arg(server->m_address, errors.isEmpty() ? QStringLiteral("no readiness line") : QString(errors));
    return nullptr;
}

FtpTestServer::~FtpTestServer()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate(); // SIGTERM to this child's PID only
    if (!m_process.waitForFinished(kStopTimeoutMs)) {
        m_process.kill();
        m_process.waitForFinished(kStopTimeoutMs);
    }
}

QByteArray FtpTestServer::commandLog() const
{
    if (!m_workDir)
        return {};
    QFile file(m_workDir->filePath(QStringLiteral("commands.log")));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
