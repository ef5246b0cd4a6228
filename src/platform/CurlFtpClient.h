#pragma once

#include "engine/ports/FtpClient.h"
#include "engine/ports/PlatformError.h"
#include "platform/CurlHandle.h"
#include "platform/FtpFailure.h"
#include "platform/FtpListParser.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <mutex>
#include <optional>
#include <stop_token>
#include <vector>

// Limits of one FTP client. The defaults suit a local network: a server that
// does not answer within seconds is not going to.
struct FtpClientOptions {
    uint16_t port = 21;
    int connectTimeoutMs = 5000;
    int responseTimeoutMs = 15000;  // each server reply, and the data connection in active mode
    int stallTimeoutMs = 15000;     // a listing that delivers no data for this long
    int transferTimeoutMs = 300000; // one whole request (login or one listing)
    qsizetype maxListingBytes = qsizetype(256) * 1024 * 1024;
    // TLS is asked for on every connection (AUTH TLS) and the connection goes on in
    // plain FTP when the server refuses it. Anonymous servers rarely have a
    // certificate a client can check, so by default the connection is encrypted
    // without checking who answers; with the check a server whose certificate does
    // not verify is not searched at all (no fall-back to plain text).
    bool verifyCertificates = false;
    QByteArray caFile; // certificates to trust instead of the system's, when not empty
    // The search's stop request; a default token never stops.
    std::stop_token stop;
};

// The FTP client on libcurl: explicit TLS where the server offers it, anonymous
// login, LIST, QUIT. Plain connections list in active mode (the server connects
// back to a port the client announces with EPRT/PORT), encrypted ones in passive
// mode (see login()). One easy handle per client keeps one control
// connection for every listing of the host. Names are read as UTF-8 when the
// server lists UTF8 in FEAT (and is asked for it with OPTS UTF8 ON), otherwise
// as UTF-8 where valid and Windows-1252 where not.
//
// Threading and cancellation: one client per thread. Every call is bounded by the
// options' time-outs; a progress callback notices the options' stop token, so a call returns
// within about a second of a stop request. After a failure that leaves the
// connection unusable (lost, timed out, stopped) every further listing fails at
// once instead of reconnecting: the host's FTP part is over.
class CurlFtpClient : public FtpClient {
public:
    explicit CurlFtpClient(const FtpClientOptions& options = {});
    ~CurlFtpClient() override;

    Result<void> login(const QString& server) override;
    Result<std::vector<FtpListEntry>> list(const QString& path) override;
    FtpUnreadableLines unreadableLines() const override { return m_unreadable; }
    void logout() override;

    // Whether the control connection is encrypted (the server accepted AUTH TLS).
    bool encrypted() const { return m_encrypted; }
    // Whether the server listed UTF8 in its features at login.
    bool utf8Names() const { return m_utf8Names; }
    // What the last failed call ran into.
    FtpFailure lastFailure() const { return m_lastFailure; }
    const PlatformError& lastError() const { return m_lastError; }

private:
    void setUpHandle();
    CURLcode perform(const QByteArray& url, bool listing);
    CURLcode performLogin();
    // perform() with commands sent after login, before the request ('*': a refusal is no failure).
    CURLcode performWithCommands(const QByteArray& url, bool listing,
                                 std::initializer_list<const char*> commands);
    PlatformError fail(CURLcode code);
    void learnEntryPath();
    // The folder as the server spells it, from its root or the login directory.
    QByteArray serverPath(const QString& path) const;

    static size_t writeData(char* data, size_t size, size_t count, void* self);
    static size_t headerData(char* data, size_t size, size_t count, void* self);
    static int progress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t);
    static curl_socket_t openSocket(void* self, curlsocktype, curl_sockaddr* address);
    static int closeSocket(void* self, curl_socket_t socket);
    void shutDownSockets();

    FtpClientOptions m_options;
    CurlHandle m_curl;
    QByteArray m_serverUrl;
    QByteArray m_entryPath;      // the login directory as the server named it
    bool m_absolutePaths = true; // paths below a Unix-style login directory
    bool m_loggedIn = false;
    bool m_connectionEnded = false;
    QByteArray m_body;
    QByteArray m_systReply; // the server's answer to SYST, empty when it gave none
    bool m_encrypted = false;
    bool m_inFeatReply = false;
    bool m_utf8Names = false;
    bool m_askForUtf8 = false; // OPTS UTF8 ON still to be sent, with the first listing
    FtpSystem m_system = FtpSystem::Unknown;
    FtpUnreadableLines m_unreadable;
    // Paths whose names were not UTF-8: the bytes to ask the server for.
    QHash<QString, QByteArray> m_rawPaths;
    char m_errorBuffer[CURL_ERROR_SIZE] = {};
    FtpFailure m_lastFailure = FtpFailure::None;
    PlatformError m_lastError;
    // The sockets libcurl has open. A stop shuts them down, which ends waits that
    // libcurl does not interrupt for the progress callback (the TLS handshake).
    std::mutex m_socketsMutex;
    std::vector<curl_socket_t> m_sockets;
    std::optional<std::stop_callback<std::function<void()>>> m_stopCallback; // last: goes first
};

class CurlFtpClientFactory : public FtpClientFactory {
public:
    explicit CurlFtpClientFactory(const FtpClientOptions& options = {}) : m_options(options) {}
    std::unique_ptr<FtpClient> create(std::stop_token stop, bool verifyCertificates) override;

private:
    FtpClientOptions m_options;
};
