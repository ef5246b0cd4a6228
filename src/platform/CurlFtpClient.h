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
#include <memory>
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
// login, LIST, RETR, QUIT. Plain connections list in active mode (the server connects
// back to a port the client announces with EPRT/PORT), encrypted ones in passive
// mode (see login()). One easy handle per client, run in a multi handle of its
// own, keeps one control connection for every request of the host; the multi
// handle lets a download be read piece by piece as the scanner asks for it. Names are read as UTF-8 when the
// server lists UTF8 in FEAT (and is asked for it with OPTS UTF8 ON), otherwise
// as UTF-8 where valid and Windows-1252 where not.
//
// Threading and cancellation: one client per thread. Every call is bounded by the
// options' time-outs; a progress callback notices the options' stop token, so a call returns
// within about a second of a stop request. After a failure that leaves the
// connection unusable (lost, timed out, stopped) every further listing fails at
// once instead of reconnecting: the host's FTP part is over. A download
// abandoned before its end closes the connection (an FTP transfer cannot be
// cut short otherwise); the next request connects and logs in again.
class CurlFtpClient : public FtpClient {
public:
    explicit CurlFtpClient(const FtpClientOptions& options = {});
    ~CurlFtpClient() override;

    Result<void> login(const QString& server) override;
    Result<std::vector<FtpListEntry>> list(const QString& path) override;
    FtpUnreadableLines unreadableLines() const override { return m_unreadable; }
    Result<std::unique_ptr<ByteSource>> retrieve(const QString& path, int64_t size) override;
    void logout() override;

    // Whether the control connection is encrypted (the server accepted AUTH TLS).
    bool encrypted() const { return m_encrypted; }
    // Whether the server listed UTF8 in its features at login.
    bool utf8Names() const { return m_utf8Names; }
    // Bytes received for downloads so far (not those of listings).
    int64_t downloadedBytes() const { return m_downloadedBytes; }
    // What the last failed call ran into.
    FtpFailure lastFailure() const { return m_lastFailure; }
    const PlatformError& lastError() const { return m_lastError; }

    // Longest wait for the sockets in one round of a transfer: the stop token is
    // looked at in between.
    static constexpr int kPollMs = 100;
    // What a download holds of data not read yet, at most (plus one delivery of
    // libcurl's); beyond it the transfer is paused until the reader catches up.
    static constexpr qsizetype kDownloadBufferBytes = qsizetype(256) * 1024;

private:
    class Download;
    friend class Download;

    void setUpHandle();
    Result<void> usable();
    CURLcode perform(const QByteArray& url, bool listing);
    // The handle's transfer in the multi handle: started, driven one round at a
    // time (true once it ended, its result in `code`), waited for, abandoned.
    void startTransfer();
    bool driveTransfer(CURLcode& code);
    void waitForTransfer();
    void abandonTransfer();
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
    struct MultiCleanup {
        void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
    };
    CurlHandle m_curl;
    // Holds the cached connection; goes after the easy handle, whose callbacks
    // (closeSocket) libcurl still calls when it closes the connection.
    std::unique_ptr<CURLM, MultiCleanup> m_multi;
    bool m_transferRunning = false;
    Download* m_download = nullptr; // the download the write callback feeds
    int64_t m_downloadedBytes = 0;
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
