#pragma once

#include "engine/DocumentContentTest.h"
#include "engine/HostSearchContext.h"
#include "engine/MaskLists.h"
#include "engine/ports/ShareClient.h"
#include "model/ContentMatch.h"
#include "model/SearchRec.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

// The share side of a worker's search: walks one share's folder tree depth first in
// listing order, tests every entry (name, size, date, then content) and delivers
// each entry that passes. The folder list decides whose entries are tested, never
// which folders are walked.
//
// A symbolic link inside a share that points to a folder above it would make the
// walk go round until paths overflow, reporting the same files again at every
// level. The walk remembers the identity of each folder on the current path (the
// names, attributes, sizes and times of its entries, "." included, ".." not, which
// is what a looped folder repeats exactly) and does not enter a folder whose
// listing of two entries or more repeats an ancestor's. A folder holding a single
// entry may repeat its ancestors legitimately (a\a\a made by mkdir -p, unpacked
// or copied with equal times), so such a folder is walked; a loop through one is
// ended by the depth bound. As backstops the walk never goes deeper than
// kMaxWalkDepth levels below the share nor into a path longer than
// kMaxWalkPathLength characters (the rule and bound of the FTP walk's guard).
//
// A folder below the share that cannot be listed is skipped; when the reason is the
// server (gone, hung, the connection lost) rather than the folder's permissions,
// the first such failure of the walk is logged like a share that cannot be listed.
//
// Runs on the worker's thread. The context's stop token is tested before every
// entry; the content scan tests it too. Log lines go to the context's log.
class TFolderWalk {
public:
    static constexpr int kMaxWalkPathLength = 4096;
    static constexpr int kMaxWalkDepth = 100;
    // Subfolders of a listed folder (the first kPrefetchHints of them) are announced
    // to the client as listings to come, last to first, so that the latest
    // announcement is always the walk's next listing and a client with spare
    // connections can list ahead while the walk goes on. Every announced folder is
    // listed later (unless the walk stops), in walk order.
    static constexpr int kPrefetchHints = 256;

    TFolderWalk(ShareClient& client, HostSearchContext& context, const TFileMaskList& folderMasks);

    // Walks folder and everything below it; the share root has depth 0.
    void SearchFolder(const QString& folder, int depth);
    // The per-entry test; a hit is handed to the context's HoldHit. True if it was.
    bool TestEntry(const QString& folder, const TSearchRec& entry);

private:
    bool EntriesAreCandidates(const QString& folder) const;
    // The rights of a share whose top folder was listed: READ, or READ/WRITE when the
    // client's write check says so.
    TShareRights ReadableShareRights(const QString& share);
    void HintSubfolders(const QString& folder, const std::vector<ShareDirEntry>& entries);
    std::optional<TContentMatch> ContentMatches(const QString& path);

    ShareClient& m_client;
    HostSearchContext& m_context;
    const TFileMaskList& m_folderMasks;
    std::vector<QByteArray> m_ancestorIdentities;
    TDocumentLog m_documentLog;
    bool m_serverFailureLogged = false;
};

// A listed share entry as the walk's tests see it (time packed in local time).
TSearchRec ToSearchRec(const ShareDirEntry& entry);
