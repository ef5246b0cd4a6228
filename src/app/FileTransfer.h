#pragma once

#include "platform/FileStores.h"

#include <QString>
#include <QStringList>
#include <cstdint>

// What a copy or move asks the user. The GUI answers with dialogs; tests script it.
class TTransferUi {
public:
    enum class Conflict { Replace, ReplaceAll, Skip, SkipAll, Cancel };
    enum class Failure { Retry, Ignore, Abort };

    virtual ~TTransferUi() = default;
    // The target exists already (a file: replace it?).
    virtual Conflict conflict(const QString& target) = 0;
    // Something failed; the message names what and why.
    virtual Failure failure(const QString& message) = 0;
    // Progress of the whole operation; false when the user cancelled.
    virtual bool progress(const QString& current, int64_t doneBytes, int64_t totalBytes) = 0;
    // Polled while a network call waits: lets the windows run and tells whether the
    // user has cancelled meanwhile.
    virtual bool pollCancel() { return false; }
};

// Copies or moves files and folders (with everything in them) into a folder, across
// the local file system and the shares alike.
//
// - A file is written to a temporary file beside its target first and takes the
//   target's name only when complete, so a failed or cancelled copy never leaves a
//   half-written file and never destroys the file it was to replace.
// - An existing file at the target is replaced only when the user says so; an
//   existing folder takes the copied folder's contents (their files asked for one
//   by one).
// - A move within one store is a rename; otherwise a copy, after which each source
//   file that arrived is deleted (a folder once it is empty).
// - A symbolic link is moved by a rename within its file system and otherwise
//   skipped, saying so: it is never followed, so nothing outside the tree is
//   copied or deleted.
// - A folder is never copied into itself; copying a file onto itself makes
//   "name - Copy.ext"; moving it onto itself does nothing.
// Main thread; every wait is bounded by the stores.
class TFileTransfer {
public:
    TFileTransfer(FileStores& stores, TTransferUi& ui);

    // Returns false when the user cancelled or aborted.
    bool run(const QStringList& sources, const QString& destinationFolder, bool move);

    static constexpr int64_t kBlockSize = 1024 * 1024;

private:
    enum class Outcome { Done, Skipped, Stop };

    Outcome transferItem(const QString& source, const QString& target, bool move);
    Outcome copyFile(const QString& source, const QString& target, bool replace);
    Outcome transferFolder(const QString& source, const QString& target, bool move);
    Outcome transferLink(const QString& source, const QString& target, bool move);
    Outcome moveByRename(const QString& source, const QString& target, bool replace, bool& renamed);
    // Asks about an existing target; Skipped or Stop end the item.
    Outcome resolveConflict(const QString& target, bool& replace);
    // Runs step until it succeeds, or the user ignores (Skipped) or aborts (Stop).
    template <typename Step> Outcome withRetry(const QString& what, Step step);
    int64_t sizeOf(const QString& path);
    QString copyNameFor(const QString& target);

    FileStores& m_stores;
    TTransferUi& m_ui;
    int64_t m_done = 0;
    int64_t m_total = 0;
    bool m_replaceAll = false;
    bool m_skipAll = false;
    QString m_verb;
};
