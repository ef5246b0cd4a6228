#include "support/FtpTestServer.h"

#include <QFile>
#include <QJsonDocument>

namespace {

QString Fixture(const char* name)
{
    return FixturePath(QString::fromLatin1(name));
}

} // namespace

std::unique_ptr<FtpTestServer> FtpTestServer::serveFolder(const QString& address, const QString& root,
                                                          QString& why, uint16_t port)
{
    std::unique_ptr<FtpTestServer> server(new FtpTestServer);
    server->m_address = address;
    return start(std::move(server),
                 {Fixture("ftp_server.py"), QStringLiteral("--address"), address, QStringLiteral("--port"),
                  QString::number(port), QStringLiteral("--root"), root},
                 why);
}

std::unique_ptr<FtpTestServer> FtpTestServer::serveScript(const QString& address, const QJsonObject& script,
                                                          QString& why, uint16_t port)
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
                  QStringLiteral("--port"), QString::number(port), QStringLiteral("--script"), scriptPath,
                  QStringLiteral("--log"), server->m_workDir->filePath(QStringLiteral("commands.log"))},
                 why);
}

std::unique_ptr<FtpTestServer> FtpTestServer::start(std::unique_ptr<FtpTestServer> server,
                                                    const QStringList& arguments, QString& why)
{
    if (!server->m_process.start(arguments, QStringLiteral("the test FTP server on ") + server->m_address,
                                 why, s_unavailable))
        return nullptr;
    server->m_port = server->m_process.port();
    return server;
}

FtpTestServer::~FtpTestServer() = default;

QByteArray FtpTestServer::commandLog() const
{
    if (!m_workDir)
        return {};
    QFile file(m_workDir->filePath(QStringLiteral("commands.log")));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
