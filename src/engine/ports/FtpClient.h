#pragma once

#include "engine/ports/ByteSource.h"
#include "engine/ports/Result.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <stop_token>
#include <vector>

// What the FTP search asks of an FTP client: anonymous login in active mode (over
// TLS where the server offers it), LIST of a folder parsed into entries, RETR of a
// file read as a stream, logout. One control connection serves every request of a
// host while it lasts.
//
// Threading and cancellation: one client per worker thread; every call is bounded
// in time and gives up soon after the stop token it was created with is set.
struct FtpListEntry {
    QString name;
    bool isDirectory = false;
    bool isSymlink = false; // reported by its own name, never walked into
    int64_t size = 0;       // bytes; listed sizes past INT64_MAX arrive as INT64_MAX
    double dateTime = 0.0;  // local time as parsed (TDateTime)
    QString uniqueId;       // the server's id of the object (MLSD "unique"), empty when unknown
};

// Lines of a listing that no known layout could read.
struct FtpUnreadableLines {
    int count = 0;
    QString first; // the first of them as log text, at most 200 characters
};

class FtpClient {
public:
    virtual ~FtpClient() = default;
    // Connects to the server (port 21) and logs in as "anonymous".
    virtual Result<void> login(const QString& server) = 0;
    // Lists a folder ("" = the login directory, else /a/b); entries in listing
    // order, "." and ".." dropped.
    virtual Result<std::vector<FtpListEntry>> list(const QString& path) = 0;
    // What the last successful list() could not read (count 0 when nothing).
    virtual FtpUnreadableLines unreadableLines() const { return {}; }
    // Downloads a file (path "/a/b.txt" from the login directory, as listed) as a
    // stream read front to back: each read must start where the previous one
    // ended, from offset 0, else it fails (-1). size() is the `size` given (the
    // listed one); reading ends there or where the file ends. A read returns once
    // it has `length` bytes or the file has ended, fails on a transfer error and
    // gives up within about a second of a stop. Destroying the stream ends the
    // transfer, abandoning what was not read yet (nothing is resumed). While a
    // stream lives the client serves no other request.
    virtual Result<std::unique_ptr<ByteSource>> retrieve(const QString& path, int64_t size) = 0;
    virtual void logout() = 0;
};

class FtpClientFactory {
public:
    virtual ~FtpClientFactory() = default;
    // A client that gives up once stop is requested. Connections are encrypted
    // where the server offers TLS; verifyCertificates also requires the server's
    // certificate to verify.
    virtual std::unique_ptr<FtpClient> create(std::stop_token stop, bool verifyCertificates) = 0;
};
