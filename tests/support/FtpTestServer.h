#pragma once

#include "support/FixtureServerProcess.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QTemporaryDir>
#include <cstdint>
#include <memory>

// A test FTP server in a child process, started from tests/fixtures/ and stopped
// (by its PID, through QProcess) when the object goes.
//
//   QString why;
//   auto server = FtpTestServer::serveFolder("127.0.3.1", folder, why);
//   if (!server) GTEST_SKIP() << why;   // or FAIL(), see unavailable()
class FtpTestServer {
public:
    // Explicit TLS on the pyftpdlib server: offered, or required before login and listings.
    enum class Tls { Optional, Required };

    // pyftpdlib serving `root` read-only to anonymous users.
    static std::unique_ptr<FtpTestServer> serveFolder(const QString& address, const QString& root,
                                                      QString& why, uint16_t port = 0);
    // The same with explicit TLS, its certificate (self-signed for `address`) made
    // anew with openssl. Its command log records what was encrypted.
    static std::unique_ptr<FtpTestServer> serveFolderOverTls(const QString& address, const QString& root,
                                                             Tls tls, QString& why);
    // The scripted server of tests/fixtures/scripted_ftp_server.py.
    static std::unique_ptr<FtpTestServer> serveScript(const QString& address, const QJsonObject& script,
                                                      QString& why, uint16_t port = 0);

    ~FtpTestServer();
    FtpTestServer(const FtpTestServer&) = delete;
    FtpTestServer& operator=(const FtpTestServer&) = delete;

    const QString& address() const { return m_address; }
    uint16_t port() const { return m_port; }
    qint64 pid() const { return m_process.pid(); }
    // Commands the scripted or TLS server received so far, one per line.
    QByteArray commandLog() const;
    // The TLS server's certificate (PEM), for clients that verify it; empty without TLS.
    QString certificateFile() const;

    // True when the last failed start failed because something the server needs
    // is not installed (the caller should skip rather than fail).
    static bool unavailable() { return s_unavailable; }

private:
    FtpTestServer() = default;
    static std::unique_ptr<FtpTestServer> start(std::unique_ptr<FtpTestServer> server,
                                                const QStringList& arguments, QString& why);

    std::unique_ptr<QTemporaryDir> m_workDir; // script, certificate and command log
    QString m_address;
    uint16_t m_port = 0;
    FixtureServerProcess m_process; // declared last: the server stops before its folder goes
    static inline bool s_unavailable = false;
};

// In a GoogleTest test: starts a server into `server` (and a QString `why`); skips
// the test when the server needs something not installed, fails it otherwise.
#define START_OR_SKIP(server, expression)                                                                    \
    QString why;                                                                                             \
    auto server = (expression);                                                                              \
    if (!server) {                                                                                           \
        if (FtpTestServer::unavailable())                                                                    \
            GTEST_SKIP() << why.toStdString();                                                               \
        FAIL() << why.toStdString();                                                                         \
    }
