#pragma once

#include "engine/ports/FtpClient.h"

#include <QByteArray>
#include <QSet>
#include <QString>
#include <utility>
#include <vector>

// Keeps one host's FTP walk finite. Links listed as links are never walked, but
// some servers list links to folders as folders (in MLSD facts and in LIST
// replies alike), and a link to an ancestor would then be walked forever, and
// two of them would double the work at every level. Three checks stop that:
// - an object whose server id (MLSD "unique", EPLF "i") was walked already is
//   not walked again;
// - a folder whose listing (two entries or more) equals the listing of one of
//   its ancestors is the ancestor seen through a link: its entries are not
//   tested again and it is not walked (a single-entry listing can repeat
//   legitimately, as in pkg/pkg/pkg);
// - nothing deeper than kMaxDepth levels is walked.
//
// Threading: belongs to the walk's thread.
class FtpWalkGuard {
public:
    static constexpr int kMaxDepth = 100;

    // Called with each listed folder's entries before they are tested. False
    // when the folder repeats an ancestor: skip it (and do not call leave()).
    bool enter(const std::vector<FtpListEntry>& entries);
    void leave();
    // Whether a listed entry is a folder to walk into from the current folder.
    bool shouldWalk(const FtpListEntry& entry);
    // True for the first failed listing of the host only: a lost connection fails
    // every listing after it, and one line in the log says it.
    bool firstFailure() { return !std::exchange(m_failed, true); }

private:
    static QByteArray fingerprint(const std::vector<FtpListEntry>& entries);

    std::vector<QByteArray> m_ancestors; // fingerprints of the folders being walked
    QSet<QString> m_walkedIds;
    bool m_failed = false;
};
