#pragma once

#include "engine/ports/FtpClient.h"

#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

// An FTP server in memory: folder path ("" for the login directory, "/a/b"
// below it) -> its listing. Shared by every client its factory creates, which
// record what they were asked.
struct FakeFtpServer {
    QString acceptedServer; // login succeeds only for this name
    QMap<QString, std::vector<FtpListEntry>> folders;
    QSet<QString> unlistable;                     // folders whose listing fails
    QMap<QString, FtpUnreadableLines> unreadable; // folder -> the lines its listing could not read
    // Links the server follows when listing: path -> the folder it shows
    // ("/pub/up" -> "" makes /pub/up/pub/up/... list like the login directory).
    QMap<QString, QString> links;
    QStringList calls; // "login NAME", "list PATH", "logout"

    // Adds an entry to a folder (creating the folder's listing if needed); a
    // folder entry also gets an empty listing of its own unless it has one.
    FtpListEntry& add(const QString& folder, const QString& name, bool directory = false, int64_t size = 0,
                      double dateTime = 0.0);
    QStringList listedPaths() const;
    QString resolve(QString path) const;
};

class FakeFtpClient : public FtpClient {
public:
    explicit FakeFtpClient(FakeFtpServer& server) : m_server(server) {}
    Result<void> login(const QString& server) override;
    Result<std::vector<FtpListEntry>> list(const QString& path) override;
    FtpUnreadableLines unreadableLines() const override { return m_unreadable; }
    void logout() override;

private:
    FakeFtpServer& m_server;
    FtpUnreadableLines m_unreadable;
    bool m_loggedIn = false;
};

class FakeFtpClientFactory : public FtpClientFactory {
public:
    explicit FakeFtpClientFactory(FakeFtpServer& server) : m_server(server) {}
    std::unique_ptr<FtpClient> create(std::stop_token, bool verifyCertificates) override
    {
        verifyCertificatesAsked.push_back(verifyCertificates);
        return std::make_unique<FakeFtpClient>(m_server);
    }

    std::vector<bool> verifyCertificatesAsked; // one per client created

private:
    FakeFtpServer& m_server;
};
