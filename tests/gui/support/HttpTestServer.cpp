#include "support/HttpTestServer.h"

#include <QFile>
#include <QJsonDocument>

std::unique_ptr<HttpTestServer> HttpTestServer::start(const QString& address, const QJsonObject& script,
                                                      QString& why)
{
    std::unique_ptr<HttpTestServer> server(new HttpTestServer);
    server->m_address = address;
    const QString scriptPath = server->m_workDir.filePath(QStringLiteral("script.json"));
    QFile file(scriptPath);
    if (!server->m_workDir.isValid() || !file.open(QIODevice::WriteOnly) ||
        file.write(QJsonDocument(script).toJson()) < 0) {
        why = QStringLiteral("cannot write the server script ") + scriptPath;
        return nullptr;
    }
    file.close();
    const QStringList arguments{FixturePath(QStringLiteral("http_test_server.py")),
                                QStringLiteral("--address"),
                                address,
                                QStringLiteral("--script"),
                                scriptPath,
                                QStringLiteral("--log"),
                                server->m_workDir.filePath(QStringLiteral("requests.log"))};
    if (!server->m_process.start(arguments, QStringLiteral("the test HTTP server on ") + address, why,
                                 s_unavailable))
        return nullptr;
    return server;
}

HttpTestServer::~HttpTestServer() = default;

QString HttpTestServer::origin() const
{
    return QStringLiteral("http://%1:%2").arg(m_address).arg(port());
}

QJsonArray HttpTestServer::requests() const
{
    QJsonArray requests;
    QFile file(m_workDir.filePath(QStringLiteral("requests.log")));
    if (!file.open(QIODevice::ReadOnly))
        return requests;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        if (!line.isEmpty())
            requests.append(QJsonDocument::fromJson(line).object());
    }
    return requests;
}

QJsonObject HttpRouteScript(const QString& path, const QString& body, int status)
{
    return QJsonObject{
        {QStringLiteral("routes"), QJsonObject{{path, QJsonObject{{QStringLiteral("status"), status},
                                                                  {QStringLiteral("body"), body}}}}}};
}
