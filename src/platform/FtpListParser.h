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
    uint64_t size = 0;     // bytes, up to 2^64-1
    double dateTime = 0.0; // local time as the listing shows it; 0 when it shows none
    QByteArray uniqueId;   // the server's own id of the object, where it gives one
};

// What a server named itself in its reply to SYST. Where two layouts read
// alike, the server's own system is tried first.
enum class FtpSystem { Unknown, Os400, Mvs, Vm, Vms, Windows, Unix };
FtpSystem FtpSystemFromSystReply(const QByteArray& reply);

// A parsed LIST reply: its entries in listing order, and the lines no known
// layout could read (headers, totals and banners are not counted).
struct FtpListing {
    std::vector<FtpRawEntry> entries;
    int unreadableLines = 0;
    QByteArray firstUnreadableLine; // the server's bytes, at most kFtpUnreadableLineBytes
};
constexpr qsizetype kFtpUnreadableLineBytes = 1024;

// Parses a whole LIST reply. Understands Unix "ls -l" lines with their many
// variants (localised and CJK dates, numeric modes and epoch times, NetWare,
// VShell, the enterprise-Unix permission column), Windows/DOS lines, OS/2 lines,
// VMS listings (entries wrapped on two lines too), EPLF, MLSD fact lines, MVS
// data set and member listings, AS/400, z/VM (CMS), HP NonStop, VxWorks, OS-9
// and Nortel switch lines; a reply may mix them. "." and ".." and names no
// server path can hold ('/' or NUL inside) are dropped. Lines longer than
// kFtpMaxLineBytes are unreadable.
//
// A date shown without a year gets the most recent year that puts it no more
// than a day after `now` (local time).
FtpListing ParseFtpListing(const QByteArray& listing, const DateTimeParts& now,
                           FtpSystem system = FtpSystem::Unknown);
constexpr qsizetype kFtpMaxLineBytes = 16 * 1024;

// An unreadable line as one line of log text: decoded like a name, control
// characters shown as '?', cut to `maxChars` characters.
QString FtpLineLogText(const QByteArray& line, qsizetype maxChars = 200);

// How a server's names are encoded: Utf8 when it says so (UTF8 in FEAT), else
// Guess.
enum class FtpNameEncoding { Guess, Utf8 };

// A listed name as text. Utf8: as UTF-8, a byte that is no part of a valid
// sequence becoming U+FFFD. Guess: UTF-8 when the bytes are valid UTF-8 (which
// every ASCII name is), else Windows-1252, the likeliest legacy encoding on the
// networks the program searches; Windows-1252 decodes every byte, so no name is lost.
QString DecodeFtpName(const QByteArray& raw, FtpNameEncoding encoding = FtpNameEncoding::Guess);

// The entry as the FTP search sees it. Sizes past INT64_MAX (the search's size
// type) become INT64_MAX.
FtpListEntry ToFtpListEntry(const FtpRawEntry& raw, FtpNameEncoding encoding = FtpNameEncoding::Guess);
