#pragma once

#include "engine/DocumentContentTest.h"
#include "engine/FtpWalkGuard.h"
#include "engine/HostSearchContext.h"
#include "engine/ports/FtpClient.h"

#include <QString>

// The FTP part of a worker's host search: log in anonymously, list the tree from
// the login directory down, test every entry by name, size and date and, with the
// text search on, each file that passes those by its content (downloaded and
// scanned as it arrives, until the answer is known; with "Search inside documents"
// a document up to the size limit is downloaded into memory and its text tested
// first), and deliver each hit as
// "ftp://" + server + path + "/" + name. With the text search on, a file that was
// not read to an answer (a failed download, a stop) and every folder are no hits.
//
// Threading and cancellation: runs on the worker's thread with its own client.
// The context's stop token is read after each listing, before each entry and before each
// subfolder; the client's calls give up within about a second of a stop, so a
// stopped walk ends promptly. Failures of the server (no server, login refused,
// lost connection) end the host's FTP part silently; a folder that cannot be
// listed is skipped with its subtree. Errors the client raises pass through.

// `host` in UNC form (\\HOST); a host of two characters or fewer is ignored.
void FtpSearchHost(const QString& host, FtpClientFactory& clientFactory, HostSearchContext& context);

// Lists one folder ("" for the login directory, else "/a/b"), tests all its
// entries, then walks its subfolders depth first in listing order.
// Documents whose text cannot be read are named in the log through documentLog.
void FtpSearchFolder(FtpClient& client, const QString& server, const QString& path,
                     HostSearchContext& context, FtpWalkGuard& guard, TDocumentLog& documentLog);

// Tests one entry of the folder `path`; delivers it and returns true when it is a hit.
bool TestFtpEntry(FtpClient& client, const QString& path, const FtpListEntry& entry, const QString& server,
                  HostSearchContext& context, TDocumentLog& documentLog);
