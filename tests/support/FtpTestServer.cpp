#include "support/FtpTestServer.h"

#include <QFile>
#include <QJsonDocument>
#include <QProcess>

namespace {

QString Fixture(const char* name)
{
    return FixturePath(QString::fromLatin1(name));
}

// A self-signed certificate for `address` (as an IP subject alternative name)
// and its key, made by openssl in `folder`: cert.pem alone, and server.pem with
// the key as well.
bool MakeCertificate(const QString& folder, const QString& address, QString& why, bool& unavailable)
{
    QProcess openssl;
    openssl.setWorkingDirectory(folder);
    openssl.start(QStringLiteral("openssl"),
                  {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                   QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
                   QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes"),
                   QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-subj"),
                   QStringLiteral("/CN=") + address, QStringLiteral("-addext"),
                   QStringLiteral("subjectAltName=IP:") + address, QStringLiteral("-keyout"),
                   QStringLiteral("key.pem"), QStringLiteral("-out"), QStringLiteral("cert.pem")});
    if (!openssl.waitForStarted(5000)) {
        unavailable = true;
        why = QStringLiteral("openssl is not installed: ") + openssl.errorString();
        return false;
    }
    if (!openssl.waitForFinished(30000) || openssl.exitStatus() != QProcess::NormalExit ||
        openssl.exitCode() != 0) {
        why = QStringLiteral("openssl could not make a certificate: ") +
              QString::fromLocal8Bit(openssl.readAllStandardError());
        return false;
    }
    QFile key(folder + QStringLiteral("/key.pem"));
    QFile certificate(folder + QStringLiteral("/cert.pem"));
    QFile both(folder + QStringLiteral("/server.pem"));
    if (!key.open(QIODevice::ReadOnly) || !certificate.open(QIODevice::ReadOnly) ||
        !both.open(QIODevice::WriteOnly) || both.write(certificate.readAll() + key.readAll()) < 0) {
        why = QStringLiteral("cannot write the server's certificate in ") + folder;
        return false;
    }
    return true;
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

std::unique_ptr<FtpTestServer> FtpTestServer::serveFolderOverTls(const QString& address, const QString& root,
                                                                 Tls tls, QString& why)
{
    std::unique_ptr<FtpTestServer> server(new FtpTestServer);
    server->m_address = address;
    server->m_workDir = std::make_unique<QTemporaryDir>();
    s_unavailable = false;
    if (!server->m_workDir->isValid()) {
        why = QStringLiteral("cannot make a folder for the server's certificate");
        return nullptr;
    }
    if (!MakeCertificate(server->m_workDir->path(), address, why, s_unavailable))
        return nullptr;
    return start(std::move(server),
                 {Fixture("ftp_server.py"), QStringLiteral("--address"), address, QStringLiteral("--root"),
                  root, QStringLiteral("--tls"),
                  tls == Tls::Required ? QStringLiteral("required") : QStringLiteral("optional"),
                  QStringLiteral("--cert"), server->m_workDir->filePath(QStringLiteral("server.pem")),
                  QStringLiteral("--log"), server->m_workDir->filePath(QStringLiteral("commands.log"))},
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

QString FtpTestServer::certificateFile() const
{
    return m_workDir && QFile::exists(m_workDir->filePath(QStringLiteral("cert.pem")))
               ? m_workDir->filePath(QStringLiteral("cert.pem"))
               : QString();
}

QByteArray FtpTestServer::commandLog() const
{
    if (!m_workDir)
        return {};
    QFile file(m_workDir->filePath(QStringLiteral("commands.log")));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
