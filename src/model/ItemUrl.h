#pragma once

#include "model/ItemRecord.h"

#include <QString>

// Addresses of hits for other programs: smb:// URLs for share hits, ftp:// URLs for
// FTP hits, each path segment percent-encoded (everything but letters, digits and
// "-._~" as UTF-8 bytes), so that blanks, '#', '?', '%' and non-ASCII names survive
// file managers, browsers and scripts.

// \\HOST\share\dir\a.txt -> smb://HOST/share/dir/a.txt; the host keeps its letter
// case. A name that is no UNC path gives an empty text.
QString SmbUrlOfUncPath(const QString& uncPath);
// The URL of a hit: SmbUrlOfUncPath for share hits; for an FTP hit its name with the
// path percent-encoded. Empty for a local path.
QString ItemUrl(const TItemRecord& item);
// The URL of the folder that holds the hit (its ItemUrl without the last segment).
QString ItemFolderUrl(const TItemRecord& item);
// The computer of a hit: HOST of \\HOST\share\a.txt, the server of ftp://server/a.txt;
// empty for anything else.
QString ItemHost(const TItemRecord& item);
