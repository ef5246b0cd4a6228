#pragma once

#include "support/FtpTestServer.h"
#include "support/TempDir.h"

#include <QByteArray>
#include <QString>
#include <gtest/gtest.h>

// The set-up the FTP client, search and content search tests share: a folder tree
// the test fills, served by the fixture FTP server on one loopback address.
class FtpServedTree : public ::testing::Test {
protected:
    explicit FtpServedTree(QString serverAddress) : address(std::move(serverAddress)) {}

    // "ftp://" + address + path, as the search names a hit.
    QString url(const QString& path) const { return QStringLiteral("ftp://") + address + path; }
    // The host as the search is given it: "\\" + address.
    QString host() const { return QStringLiteral("\\\\") + address; }
    // A file of `size` bytes below the tree that costs no disk: `head`, then a hole of zeros.
    void writeSparse(const QString& name, const QByteArray& head, qint64 size) const;

    const QString address;
    TempDir tree;
};

// Serves the fixture's tree as `server`; skips the test where the fixture server
// cannot run at all, fails it where it should have started.
#define SERVE_TREE_OR_SKIP(server)                                                                           \
    START_OR_SKIP(server, FtpTestServer::serveFolder(address, tree.path(), why))
