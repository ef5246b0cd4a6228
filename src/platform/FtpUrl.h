#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

// How the client spells FTP URLs for libcurl.

// The URL up to and including the '/' after host and port ("ftp://host:2121/"),
// or empty when the name is no plain host name or address: a name holding '@',
// ':', '/' or blanks would point libcurl at another host or user.
QByteArray FtpServerUrl(const QString& server, uint16_t port);

// The URL that lists a folder. `folder` is the folder's path in the server's
// bytes, segments separated by '/'. With `absolute`, the path starts at the
// server's root ("/pub/sub" becomes "%2Fpub/sub/", which libcurl sends as one
// "CWD /pub/sub"); otherwise it is relative to the login directory. Every segment
// is percent-escaped, so blanks, '#', '%', '?' and any byte arrive as they are.
// The URL ends in '/': a URL without it would download a file instead.
QByteArray FtpFolderUrl(const QByteArray& serverUrl, const QByteArray& folder, bool absolute);
