#pragma once

#include "engine/ports/FtpClient.h"
#include "model/DateTime.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

// One entry of a LIST reply as the server spelled it: the name still in the
// server's bytes, so that a folder can be asked for again with exactly those bytes
// whatever character set they turn out to be in.
struct FtpRawEntry {
    QByteArray name;
    bool isDirectory = false;
    bool isSymlink = false;
    int64_t size = 0;
    double dateTime = 0.0; // local time as the listing shows it; 0 when it shows none
    QByteArray uniqueId;   // the server's own id of the object, where it gives one
};

// Parses a whole LIST reply. Understands Unix "ls -l" lines (also NetWare's),
// Windows/DOS lines, OS/2 lines, VMS listings (entries wrapped on two lines too),
// EPLF, MLSD-style fact lines, MVS data set and member listings and AS/400 lines;
// a reply may mix them. Lines it does not understand (totals, headers, banners)
// are skipped; "." and ".." and names no server path can hold ('/' or NUL inside)
// are dropped. Entries come in listing order.
//
// A Unix line that shows a time instead of a year gets the most recent year that
// puts the date no more than a day after `now` (local time).
std::vector<FtpRawEntry> ParseFtpListing(const QByteArray& listing, const DateTimeParts& now);

// A listed name as text: UTF-8 when the bytes are valid UTF-8 (which every ASCII
// name is), else Windows-1252, the likeliest legacy encoding on the networks the
// program searches; Windows-1252 decodes every byte, so no name is lost.
QString DecodeFtpName(const QByteArray& raw);

// The entry as the FTP search sees it.
FtpListEntry ToFtpListEntry(const FtpRawEntry& raw);
