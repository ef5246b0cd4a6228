#pragma once

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

// What the FTP search asks of an FTP client: anonymous login in active mode, LIST
// of a folder parsed into entries, logout. One control connection serves every
// listing of a host.
//
// Threading and cancellation: one client per worker thread; every call is bounded
// in time and gives up soon after StopFlag is set.
struct FtpListEntry {
    QString name;
    bool isDirectory = false;
    bool isSymlink = false;   // reported by its own name, never walked into
    int64_t size = 0;
    double dateTime = 0.0;    // local time as parsed (TDateTime)
    QString uniqueId;         // the server's id of the object (MLSD "unique"), empty when unknown
};

class FtpClient {
public:
    virtual ~FtpClient() = default;
    // Connects to the server (port 21) and logs in as "anonymous".
    virtual bool login(const QString& server) = 0;
    // Lists a folder ("" = the login directory, else /a/b); entries in listing
    // order, "." and ".." dropped. False when the listing failed.
    virtual bool list(const QString& path, std::vector<FtpListEntry>& entries) = 0;
    virtual void logout() = 0;
};

class FtpClientFactory {
public:
    virtual ~FtpClientFactory() = default;
    virtual std::unique_ptr<FtpClient> create() = 0;
};
