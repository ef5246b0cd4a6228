#include "platform/CurlFtpClient.h"

#include "model/DateTime.h"
#include "model/Error.h"
#include "model/LogCategories.h"
#include "platform/FtpListParser.h"
#include "platform/FtpUrl.h"

#include <QSysInfo>
#include <algorithm>
#include <cstring>
#include <memory>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

namespace {

// An e-mail-style password naming this computer, as anonymous FTP asks for.
QByteArray AnonymousPassword()
{
    QByteArray host = QSysInfo::machineHostName().toLatin1();
    host.replace('@', '_');
    return "anonymous@" + (host.isEmpty() ? QByteArray("localhost") : host);
}

long WholeSeconds(int milliseconds)
{
    return (milliseconds + 999) / 1000;
}

} // namespace

// A RETR read as the scanner asks for it. The write callback fills a bounded
// buffer and pauses the transfer when it is full; a read takes from the buffer and
// drives the transfer while it needs more.
class CurlFtpClient::Download : public ByteSource {
public:
    Download(CurlFtpClient& client, int64_t size) : m_client(client), m_size(size)
    {
        m_client.m_download = this;
    }

    ~Download() override
    {
        if (m_started && !m_ended) {
            // An FTP transfer cannot be cut short on its connection: the connection
            // goes, and the next request logs in again (asking for UTF-8 names anew).
            m_client.abandonTransfer();
            m_client.m_askForUtf8 = m_client.m_utf8Names;
            qCDebug(kestrovaFtp) << "Download from" << m_client.m_serverUrl << "abandoned after"
                                 << m_delivered << "bytes";
        }
        m_client.m_download = nullptr;
    }

    int64_t size() override { return m_size; }

    int64_t read(int64_t offset, char* buffer, int64_t length) override
    {
        if (m_failed || offset != m_delivered || length < 0)
            return -1;
        // The transfer starts with the first read: a download never read costs nothing.
        if (!std::exchange(m_started, true))
            m_client.startTransfer();
        int64_t got = 0;
        for (;;) {
            const auto take =
                static_cast<qsizetype>(std::min<int64_t>(length - got, m_buffer.size() - m_taken));
            memcpy(buffer + got, m_buffer.constData() + m_taken, static_cast<size_t>(take));
            got += take;
            m_taken += take;
            if (m_taken == m_buffer.size()) {
                m_buffer.clear();
                m_taken = 0;
            }
            if (got == length || m_ended)
                break;
            if (m_client.m_options.stop.stop_requested())
                return failWith(CURLE_ABORTED_BY_CALLBACK);
            if (std::exchange(m_paused, false))
                curl_easy_pause(m_client.m_curl.get(), CURLPAUSE_CONT); // may deliver at once
            CURLcode code = CURLE_OK;
            if (m_client.driveTransfer(code)) {
                m_ended = true;
                if (code != CURLE_OK)
                    return failWith(code);
            } else if (m_buffer.size() == m_taken) {
                m_client.waitForTransfer();
            }
        }
        m_delivered += got;
        return got;
    }

    // The write callback's share: takes data while the buffer has room.
    size_t accept(const char* data, size_t bytes)
    {
        if (m_buffer.size() - m_taken >= kDownloadBufferBytes) {
            m_paused = true;
            return CURL_WRITEFUNC_PAUSE;
        }
        m_buffer.append(data, static_cast<qsizetype>(bytes));
        m_client.m_downloadedBytes += static_cast<int64_t>(bytes);
        return bytes;
    }

private:
    int64_t failWith(CURLcode code)
    {
        m_failed = true;
        if (!m_ended) {
            m_ended = true;
            m_client.abandonTransfer();
            m_client.m_askForUtf8 = m_client.m_utf8Names;
        }
        static_cast<void>(m_client.fail(code)); // recorded as the last failure
        return -1;
    }

    CurlFtpClient& m_client;
    int64_t m_size;
    int64_t m_delivered = 0;
    QByteArray m_buffer;
    qsizetype m_taken = 0; // bytes of m_buffer already read
    bool m_started = false;
    bool m_paused = false;
    bool m_ended = false;
    bool m_failed = false;
};

CurlFtpClient::CurlFtpClient(const FtpClientOptions& options) : m_options(options)
{
    setUpHandle();
    m_stopCallback.emplace(m_options.stop, std::function<void()>([this] { shutDownSockets(); }));
}

CurlFtpClient::~CurlFtpClient()
{
    // libcurl closes its sockets through closeSocket(), which needs the members
    // declared after the handle.
    m_stopCallback.reset();
    if (m_transferRunning)
        curl_multi_remove_handle(m_multi.get(), m_curl.get());
    m_curl.reset();
    m_multi.reset();
}

void CurlFtpClient::setUpHandle()
{
    if (!m_curl)
        m_curl = CurlHandle();
    if (!m_multi)
        m_multi.reset(curl_multi_init());
    if (!m_curl || !m_multi)
        RaiseError(QStringLiteral("Unable to create an FTP client: libcurl could not set up a handle"));
    CURL* curl = m_curl.get();
    static const QByteArray password = AnonymousPassword();
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L); // worker threads: no SIGALRM time-outs
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "ftp");
    // Exact text: the user name servers grant anonymous access to.
    curl_easy_setopt(curl, CURLOPT_USERNAME, "anonymous");
    curl_easy_setopt(curl, CURLOPT_PASSWORD, password.constData());
    // Active mode: "-" announces the local address of the control connection.
    curl_easy_setopt(curl, CURLOPT_FTPPORT, "-");
    curl_easy_setopt(curl, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_SINGLECWD));
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(m_options.connectTimeoutMs));
    // Without these a server that never connects back holds a listing for minutes.
    curl_easy_setopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, WholeSeconds(m_options.responseTimeoutMs));
    curl_easy_setopt(curl, CURLOPT_ACCEPTTIMEOUT_MS, static_cast<long>(m_options.responseTimeoutMs));
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, WholeSeconds(m_options.stallTimeoutMs));
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(m_options.transferTimeoutMs));
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &CurlFtpClient::progress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, this);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &CurlFtpClient::writeData);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, this);
    // Server replies; without a function of its own libcurl would hand them to
    // the write function, into the listing.
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, &CurlFtpClient::headerData);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, m_errorBuffer);
    curl_easy_setopt(curl, CURLOPT_OPENSOCKETFUNCTION, &CurlFtpClient::openSocket);
    curl_easy_setopt(curl, CURLOPT_OPENSOCKETDATA, this);
    curl_easy_setopt(curl, CURLOPT_CLOSESOCKETFUNCTION, &CurlFtpClient::closeSocket);
    curl_easy_setopt(curl, CURLOPT_CLOSESOCKETDATA, this);
    // AUTH TLS before USER, then PBSZ 0 and PROT P for encrypted listings; a
    // server that refuses AUTH (or PROT) is used in plain text. A server that
    // requires TLS (530 to USER until AUTH) is thus searched as well.
    curl_easy_setopt(curl, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_TRY));
    curl_easy_setopt(curl, CURLOPT_FTPSSLAUTH, static_cast<long>(CURLFTPAUTH_TLS));
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, m_options.verifyCertificates ? 1L : 0L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, m_options.verifyCertificates ? 2L : 0L);
    if (!m_options.caFile.isEmpty())
        curl_easy_setopt(curl, CURLOPT_CAINFO, m_options.caFile.constData());
}

Result<void> CurlFtpClient::login(const QString& server)
{
    m_loggedIn = false;
    m_connectionEnded = false;
    m_lastFailure = FtpFailure::None;
    m_lastError = {};
    m_rawPaths.clear();
    m_serverUrl = FtpServerUrl(server, m_options.port);
    if (m_serverUrl.isEmpty()) {
        m_lastFailure = FtpFailure::Protocol;
        m_lastError = PlatformError{CURLE_URL_MALFORMAT, QStringLiteral("Not a host name: ") + server};
        qCDebug(kestrovaFtp) << "FTP login refused before connecting:" << m_lastError.message;
        return m_lastError;
    }
    setUpHandle();
    CURLcode code = performLogin();
    // A server that accepts AUTH TLS and then fails the handshake (TLS versions
    // in common, a broken set-up) is tried once more without TLS, on a new
    // connection. Not when certificates are checked: a server whose certificate
    // does not verify is not to be used in plain text instead.
    if (code != CURLE_OK && !m_options.verifyCertificates && !m_options.stop.stop_requested() &&
        ClassifyFtpFailure(code, 0) == FtpFailure::Tls) {
        qCDebug(kestrovaFtp) << "TLS handshake with" << m_serverUrl << "failed (CURLcode" << int(code)
                             << m_errorBuffer << "), logging in without TLS";
        curl_easy_setopt(m_curl.get(), CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_NONE));
        code = performLogin();
    }
    if (code != CURLE_OK)
        return fail(code);
    // Over TLS the listings come through passive mode: libcurl before 8.0 leaves
    // the data connection a server opens (active mode) unencrypted and waits for
    // it until the time-outs, and an encrypted control connection hides the PORT
    // command from the NAT gateways that would otherwise open the way back.
    curl_easy_setopt(m_curl.get(), CURLOPT_FTPPORT, m_encrypted ? nullptr : "-");
    // Some servers send UTF-8 names only once asked to; the request rides on the
    // first listing instead of costing a round trip of its own.
    m_askForUtf8 = m_utf8Names;
    learnEntryPath();
    m_loggedIn = true;
    return {};
}

CURLcode CurlFtpClient::performLogin()
{
    // A request without a body for the login directory connects, logs in and
    // asks for the directory (PWD), then stops; the connection stays open. It
    // also asks SYST, whose answer tells layouts that read alike apart, and FEAT,
    // which says whether names are UTF-8 ('*': a server that refuses either is no
    // failure).
    m_systReply.clear();
    m_inFeatReply = false;
    m_utf8Names = false;
    m_encrypted = false;
    const CURLcode code = performWithCommands(m_serverUrl, false, {"*SYST", "*FEAT"});
    m_system = FtpSystemFromSystReply(m_systReply);
    return code;
}

void CurlFtpClient::learnEntryPath()
{
    const char* entryPath = nullptr;
    curl_easy_getinfo(m_curl.get(), CURLINFO_FTP_ENTRY_PATH, &entryPath);
    m_entryPath = entryPath ? QByteArray(entryPath) : QByteArray("/");
    // A Unix-style login directory lets every folder be reached with one CWD of
    // its absolute path. Other systems (VMS "DISK$USER:[ANON]") get paths relative
    // to the login directory, one CWD per level; libcurl returns to the login
    // directory before each request.
    m_absolutePaths = m_entryPath.startsWith('/');
    curl_easy_setopt(m_curl.get(), CURLOPT_FTP_FILEMETHOD,
                     static_cast<long>(m_absolutePaths ? CURLFTPMETHOD_SINGLECWD : CURLFTPMETHOD_MULTICWD));
}

QByteArray CurlFtpClient::serverPath(const QString& path) const
{
    QByteArray folder = m_rawPaths.value(path, path.toUtf8());
    if (!m_absolutePaths)
        return folder;
    QByteArray absolute = m_entryPath;
    while (absolute.endsWith('/'))
        absolute.chop(1);
    return absolute + (folder.isEmpty() ? QByteArray("/") : folder);
}

Result<void> CurlFtpClient::usable()
{
    if (!m_loggedIn || m_connectionEnded) {
        // The failure that ended the connection says why; a client never logged in has none.
        return m_lastError.failed() ? m_lastError
                                    : PlatformError{CURLE_FAILED_INIT, QStringLiteral("Not logged in")};
    }
    if (m_download)
        return PlatformError{CURLE_FAILED_INIT, QStringLiteral("A download is still being read")};
    if (m_options.stop.stop_requested()) {
        m_lastFailure = FtpFailure::Stopped;
        m_connectionEnded = true;
        return PlatformError{CURLE_ABORTED_BY_CALLBACK, QStringLiteral("Stopped")};
    }
    return {};
}

Result<std::vector<FtpListEntry>> CurlFtpClient::list(const QString& path)
{
    m_unreadable = {};
    if (Result<void> ready = usable(); !ready)
        return ready.error();
    const QByteArray url = FtpFolderUrl(m_serverUrl, serverPath(path), m_absolutePaths);
    const CURLcode code =
        m_askForUtf8 ? performWithCommands(url, true, {"*OPTS UTF8 ON"}) : perform(url, true);
    m_askForUtf8 = false;
    if (code != CURLE_OK)
        return fail(code);

    const QByteArray folderBytes = m_rawPaths.value(path, path.toUtf8());
    const FtpListing parsed = ParseFtpListing(m_body, DecodeDateTime(NowDateTime()), m_system);
    m_body = QByteArray();
    m_unreadable.count = parsed.unreadableLines;
    if (parsed.unreadableLines > 0)
        m_unreadable.first = FtpLineLogText(parsed.firstUnreadableLine);
    std::vector<FtpListEntry> entries;
    entries.reserve(parsed.entries.size());
    for (const FtpRawEntry& raw : parsed.entries) {
        entries.push_back(ToFtpListEntry(raw, m_utf8Names ? FtpNameEncoding::Utf8 : FtpNameEncoding::Guess));
        // Remember the server's bytes of entries whose name or path is not UTF-8,
        // so that listing or reading them sends the same bytes back.
        const QString childPath = path + u'/' + entries.back().name;
        const QByteArray childBytes = folderBytes + '/' + raw.name;
        if (childBytes != childPath.toUtf8())
            m_rawPaths.insert(childPath, childBytes);
    }
    return entries;
}

Result<std::unique_ptr<ByteSource>> CurlFtpClient::retrieve(const QString& path, int64_t size)
{
    if (Result<void> ready = usable(); !ready)
        return ready.error();
    const qsizetype slash = path.lastIndexOf(u'/');
    const QString folder = path.left(std::max<qsizetype>(slash, 0));
    const QByteArray pathBytes = m_rawPaths.value(path, path.toUtf8());
    const QByteArray nameBytes = pathBytes.mid(pathBytes.lastIndexOf('/') + 1);
    // The folder's URL ends in '/'; the file's name, escaped, makes it a download.
    const QByteArray url =
        FtpFolderUrl(m_serverUrl, serverPath(folder), m_absolutePaths) + nameBytes.toPercentEncoding();
    m_body.clear();
    m_errorBuffer[0] = '\0';
    curl_easy_setopt(m_curl.get(), CURLOPT_URL, url.constData());
    curl_easy_setopt(m_curl.get(), CURLOPT_NOBODY, 0L);
    return std::unique_ptr<ByteSource>(std::make_unique<Download>(*this, size));
}

void CurlFtpClient::logout()
{
    // Freeing the multi handle, which holds the connection, sends QUIT on a
    // connection that is still open.
    m_curl.reset();
    m_multi.reset();
    m_loggedIn = false;
}

CURLcode CurlFtpClient::perform(const QByteArray& url, bool listing)
{
    m_body.clear();
    m_errorBuffer[0] = '\0';
    curl_easy_setopt(m_curl.get(), CURLOPT_URL, url.constData());
    curl_easy_setopt(m_curl.get(), CURLOPT_NOBODY, listing ? 0L : 1L);
    startTransfer();
    CURLcode code = CURLE_OK;
    while (!driveTransfer(code))
        waitForTransfer();
    return code;
}

void CurlFtpClient::startTransfer()
{
    const CURLMcode added = curl_multi_add_handle(m_multi.get(), m_curl.get());
    m_transferRunning = added == CURLM_OK;
}

bool CurlFtpClient::driveTransfer(CURLcode& code)
{
    if (!m_transferRunning) {
        code = CURLE_FAILED_INIT;
        return true;
    }
    int running = 0;
    const CURLMcode performed = curl_multi_perform(m_multi.get(), &running);
    int queued = 0;
    while (const CURLMsg* message = curl_multi_info_read(m_multi.get(), &queued)) {
        if (message->msg == CURLMSG_DONE && message->easy_handle == m_curl.get()) {
            code = message->data.result;
            abandonTransfer();
            return true;
        }
    }
    if (performed != CURLM_OK) {
        code = CURLE_FAILED_INIT;
        abandonTransfer();
        return true;
    }
    return false;
}

void CurlFtpClient::waitForTransfer()
{
    curl_multi_poll(m_multi.get(), nullptr, 0, kPollMs, nullptr);
}

void CurlFtpClient::abandonTransfer()
{
    // Removing a transfer that has not ended closes its connection.
    if (std::exchange(m_transferRunning, false))
        curl_multi_remove_handle(m_multi.get(), m_curl.get());
}

CURLcode CurlFtpClient::performWithCommands(const QByteArray& url, bool listing,
                                            std::initializer_list<const char*> commands)
{
    curl_slist* list = nullptr;
    for (const char* command : commands)
        list = curl_slist_append(list, command);
    const std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)> owner(list, &curl_slist_free_all);
    curl_easy_setopt(m_curl.get(), CURLOPT_QUOTE, list);
    const CURLcode code = perform(url, listing);
    curl_easy_setopt(m_curl.get(), CURLOPT_QUOTE, nullptr);
    return code;
}

PlatformError CurlFtpClient::fail(CURLcode code)
{
    long reply = 0;
    curl_easy_getinfo(m_curl.get(), CURLINFO_RESPONSE_CODE, &reply);
    // A stop that shut the sockets down shows as whatever that broke.
    m_lastFailure = m_options.stop.stop_requested() ? FtpFailure::Stopped : ClassifyFtpFailure(code, reply);
    m_lastError = FtpPlatformError(code, reply, m_errorBuffer);
    qCDebug(kestrovaFtp) << "FTP request to" << m_serverUrl << "failed: CURLcode" << int(code) << "reply"
                         << reply << m_lastError.message;
    if (FtpFailureEndsConnection(m_lastFailure))
        m_connectionEnded = true;
    m_body = QByteArray();
    return m_lastError;
}

size_t CurlFtpClient::writeData(char* data, size_t size, size_t count, void* self)
{
    auto* client = static_cast<CurlFtpClient*>(self);
    const size_t bytes = size * count;
    if (client->m_download)
        return client->m_download->accept(data, bytes);
    if (client->m_body.size() + static_cast<qsizetype>(bytes) > client->m_options.maxListingBytes)
        return 0; // ends the request with CURLE_WRITE_ERROR
    client->m_body.append(data, static_cast<qsizetype>(bytes));
    return bytes;
}

size_t CurlFtpClient::headerData(char* data, size_t size, size_t count, void* self)
{
    auto* client = static_cast<CurlFtpClient*>(self);
    const size_t bytes = size * count;
    const QByteArray line = QByteArray(data, static_cast<qsizetype>(bytes)).trimmed();
    // AUTH TLS accepted: the control connection is encrypted from here on
    // (libcurl goes on only once the handshake succeeded).
    if (line.startsWith("234 ") || line.startsWith("234-"))
        client->m_encrypted = true;
    if (line.startsWith("215 ") && client->m_systReply.isEmpty())
        client->m_systReply = line.left(200);
    // FEAT: "211-" opens the list, one feature per line, "211 " closes it.
    if (line.startsWith("211-"))
        client->m_inFeatReply = true;
    else if (line.startsWith("211 "))
        client->m_inFeatReply = false;
    else if (client->m_inFeatReply && line.compare("UTF8", Qt::CaseInsensitive) == 0)
        client->m_utf8Names = true;
    return bytes;
}

int CurlFtpClient::progress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    return static_cast<CurlFtpClient*>(self)->m_options.stop.stop_requested() ? 1 : 0;
}

curl_socket_t CurlFtpClient::openSocket(void* self, curlsocktype, curl_sockaddr* address)
{
    auto* client = static_cast<CurlFtpClient*>(self);
    const curl_socket_t fd = socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
    if (fd == CURL_SOCKET_BAD)
        return fd;
    const std::lock_guard lock(client->m_socketsMutex);
    client->m_sockets.push_back(fd);
    return fd;
}

int CurlFtpClient::closeSocket(void* self, curl_socket_t fd)
{
    auto* client = static_cast<CurlFtpClient*>(self);
    const std::lock_guard lock(client->m_socketsMutex);
    std::erase(client->m_sockets, fd);
    return close(fd);
}

void CurlFtpClient::shutDownSockets()
{
    const std::lock_guard lock(m_socketsMutex);
    for (const curl_socket_t fd : m_sockets)
        shutdown(fd, SHUT_RDWR);
}

std::unique_ptr<FtpClient> CurlFtpClientFactory::create(std::stop_token stop, bool verifyCertificates)
{
    FtpClientOptions options = m_options;
    options.stop = std::move(stop);
    options.verifyCertificates = verifyCertificates;
    return std::make_unique<CurlFtpClient>(options);
}
