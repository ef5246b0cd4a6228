#pragma once

#include "support/FixtureServerProcess.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QTemporaryDir>
#include <memory>

// The scripted HTTP server (and proxy) of tests/fixtures/http_test_server.py in a
// child process on a loopback address; see the script for the script's format.
//
//   QString why;
//   auto server = HttpTestServer::start("127.0.5.1", script, why);
//   if (!server) GTEST_SKIP() << why;   // when unavailable(), else FAIL()
class HttpTestServer {
public:
    static std::unique_ptr<HttpTestServer> start(const QString& address, const QJsonObject& script,
                                                 QString& why);
    ~HttpTestServer();

    // "http://address:port" without a trailing slash.
    QString origin() const;
    const QString& address() const { return m_address; }
    uint16_t port() const { return m_process.port(); }
    // Every request received so far: {"method", "target", "headers"}.
    QJsonArray requests() const;

    static bool unavailable() { return s_unavailable; }

private:
    HttpTestServer() = default;

    QTemporaryDir m_workDir;
    QString m_address;
    FixtureServerProcess m_process; // declared last: the server stops before its folder goes
    static inline bool s_unavailable = false;
};

// A script with one route answering `body` with `status`.
QJsonObject HttpRouteScript(const QString& path, const QString& body, int status = 200);
