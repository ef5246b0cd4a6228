#include "app/FileTransfer.h"

#include <cerrno>
#include <vector>

using namespace FileStorePath;

namespace {

bool SamePath(const QString& a, const QString& b)
{
    return a.compare(b, IsUnc(a) ? Qt::CaseInsensitive : Qt::CaseSensitive) == 0;
}

// Exists, missing (ENOENT), or unknown (another failure: treated as missing, and
// what follows reports the real trouble).
bool Exists(FileStore& store, const QString& path, FileStoreStat& stat)
{
    return !store.stat(path, stat).failed();
}

QString TemporaryNameFor(const QString& target)
{
    return Join(FolderOf(target), u'~' + NameOf(target) + QStringLiteral(".kestrova-part"));
}

} // namespace

TFileTransfer::TFileTransfer(FileStores& stores, TTransferUi& ui) : m_stores(stores), m_ui(ui) {}

bool TFileTransfer::run(const QStringList& sources, const QString& destinationFolder, bool move)
{
    m_done = 0;
    m_total = 0;
    m_replaceAll = false;
    m_skipAll = false;
    // Exact text: the verb goes into the transfer messages the transfer tests compare.
    m_verb = move ? QStringLiteral("move") : QStringLiteral("copy");
    // A move within one store is a rename and transfers no bytes.
    for (const QString& source : sources) {
        if (!move || !m_stores.sameStore(source, destinationFolder))
            m_total += sizeOf(source);
    }
    if (!m_ui.progress(QString(), 0, m_total))
        return false;
    for (const QString& source : sources) {
        if (transferItem(source, Join(destinationFolder, NameOf(source)), move) == Outcome::Stop)
            return false;
    }
    return true;
}

int64_t TFileTransfer::sizeOf(const QString& path)
{
    FileStore& store = m_stores.storeFor(path);
    FileStoreStat stat;
    if (store.stat(path, stat).failed() || stat.link)
        return 0;
    if (!stat.folder)
        return stat.size;
    int64_t total = 0;
    std::vector<FileStoreEntry> entries;
    if (store.list(path, entries).failed())
        return 0;
    for (const FileStoreEntry& entry : entries)
        total += entry.folder ? sizeOf(Join(path, entry.name)) : entry.size;
    return total;
}

template <typename Step> TFileTransfer::Outcome TFileTransfer::withRetry(const QString& what, Step step)
{
    for (;;) {
        bool cancelled = false;
        const PlatformError error = step(cancelled);
        if (cancelled)
            return Outcome::Stop;
        if (!error.failed())
            return Outcome::Done;
        switch (m_ui.failure(what + QStringLiteral(": ") + error.message)) {
        case TTransferUi::Failure::Retry:
            continue;
        case TTransferUi::Failure::Ignore:
            return Outcome::Skipped;
        case TTransferUi::Failure::Abort:
            return Outcome::Stop;
        }
    }
}

TFileTransfer::Outcome TFileTransfer::resolveConflict(const QString& target, bool& replace)
{
    replace = m_replaceAll;
    if (m_replaceAll)
        return Outcome::Done;
    if (m_skipAll)
        return Outcome::Skipped;
    switch (m_ui.conflict(target)) {
    case TTransferUi::Conflict::ReplaceAll:
        m_replaceAll = true;
        [[fallthrough]];
    case TTransferUi::Conflict::Replace:
        replace = true;
        return Outcome::Done;
    case TTransferUi::Conflict::SkipAll:
        m_skipAll = true;
        [[fallthrough]];
    case TTransferUi::Conflict::Skip:
        return Outcome::Skipped;
    case TTransferUi::Conflict::Cancel:
        break;
    }
    return Outcome::Stop;
}

QString TFileTransfer::copyNameFor(const QString& target)
{
    const QString folder = FolderOf(target);
    const QString name = NameOf(target);
    const qsizetype dot = name.lastIndexOf(u'.');
    const QString stem = dot > 0 ? name.left(dot) : name;
    const QString extension = dot > 0 ? name.mid(dot) : QString();
    FileStore& store = m_stores.storeFor(target);
    FileStoreStat stat;
    for (int number = 1;; ++number) {
        // Exact text: the name a copy onto itself gets ("a - Copy (2).txt"), as file
        // managers name them; the transfer tests compare it.
        QString copy =
            Join(folder, stem + QStringLiteral(" - Copy") +
                             (number > 1 ? QStringLiteral(" (%1)").arg(number) : QString()) + extension);
        if (!Exists(store, copy, stat))
            return copy;
    }
}

TFileTransfer::Outcome TFileTransfer::transferItem(const QString& source, const QString& givenTarget,
                                                   bool move)
{
    const QString what = QStringLiteral("Cannot %1 \"%2\"").arg(m_verb, source);
    FileStore& from = m_stores.storeFor(source);
    FileStoreStat sourceStat;
    Outcome outcome = withRetry(what, [&](bool&) { return from.stat(source, sourceStat); });
    if (outcome != Outcome::Done)
        return outcome;

    QString target = givenTarget;
    if (SamePath(source, target)) {
        if (move)
            return Outcome::Done; // already where it is to go
        target = copyNameFor(target);
    } else if (sourceStat.folder && IsSameOrBelow(target, source)) {
        return m_ui.failure(
                   what + QStringLiteral(": The destination folder is a subfolder of the source folder.")) ==
                       TTransferUi::Failure::Abort
                   ? Outcome::Stop
                   : Outcome::Skipped;
    }
    if (sourceStat.link)
        return transferLink(source, target, move);
    if (sourceStat.folder)
        return transferFolder(source, target, move);

    FileStore& to = m_stores.storeFor(target);
    FileStoreStat targetStat;
    bool replace = false;
    if (Exists(to, target, targetStat)) {
        if (targetStat.folder)
            return m_ui.failure(what +
                                QStringLiteral(": A folder named \"%1\" exists already.").arg(target)) ==
                           TTransferUi::Failure::Abort
                       ? Outcome::Stop
                       : Outcome::Skipped;
        outcome = resolveConflict(target, replace);
        if (outcome != Outcome::Done)
            return outcome;
    }
    if (move && m_stores.sameStore(source, target)) {
        bool renamed = false;
        outcome = moveByRename(source, target, replace, renamed);
        if (renamed || outcome != Outcome::Done)
            return outcome;
    }
    outcome = copyFile(source, target, replace);
    if (outcome != Outcome::Done || !move)
        return outcome;
    // Exact text: the retry question here and for folders below, worded as the
    // delete command's; the file operation tests answer it by these words.
    return withRetry(QStringLiteral("Cannot delete \"%1\"").arg(source),
                     [&](bool&) { return from.removeFile(source); });
}

TFileTransfer::Outcome TFileTransfer::moveByRename(const QString& source, const QString& target, bool replace,
                                                   bool& renamed)
{
    renamed = false;
    FileStore& store = m_stores.storeFor(source);
    return withRetry(QStringLiteral("Cannot move \"%1\"").arg(source), [&](bool&) {
        PlatformError error = store.rename(source, target, replace);
        if (!error.failed())
            renamed = true;
        else if (error.code == EXDEV)
            return PlatformError{}; // another file system or share: copied instead
        return error;
    });
}

TFileTransfer::Outcome TFileTransfer::copyFile(const QString& source, const QString& target, bool replace)
{
    FileStore& from = m_stores.storeFor(source);
    FileStore& to = m_stores.storeFor(target);
    const QString temporary = TemporaryNameFor(target);
    const int64_t doneBefore = m_done;
    std::vector<char> buffer(static_cast<size_t>(kBlockSize));
    return withRetry(QStringLiteral("Cannot %1 \"%2\"").arg(m_verb, source), [&](bool& cancelled) {
        m_done = doneBefore;
        Result<std::unique_ptr<ByteSource>> opened = from.openRead(source);
        if (!opened)
            return opened.error();
        const std::unique_ptr<ByteSource> reader = std::move(opened).value();
        Result<std::unique_ptr<FileStoreWriter>> created = to.create(temporary, false);
        if (!created)
            return created.error();
        std::unique_ptr<FileStoreWriter> writer = std::move(created).value();
        PlatformError error;
        const auto discard = [&](const PlatformError& why) {
            writer.reset();
            (void)to.removeFile(temporary); // the first failure is the one to report
            return why;
        };
        for (int64_t offset = 0;;) {
            const int64_t got = reader->read(offset, buffer.data(), kBlockSize);
            if (got < 0)
                return discard(PlatformError{EIO, QStringLiteral("The file could not be read")});
            if (got == 0)
                break;
            if (error = writer->write(buffer.data(), got); error.failed())
                return discard(error);
            offset += got;
            m_done += got;
            m_total = std::max(m_total, m_done);
            if (!m_ui.progress(source, m_done, m_total)) {
                cancelled = true;
                return discard(PlatformError{ECANCELED, QStringLiteral("Cancelled")});
            }
        }
        if (error = writer->finish(); error.failed())
            return discard(error);
        writer.reset();
        if (error = to.rename(temporary, target, replace); error.failed()) {
            (void)to.removeFile(temporary); // the first failure is the one to report
            return error;
        }
        return PlatformError{};
    });
}

TFileTransfer::Outcome TFileTransfer::transferFolder(const QString& source, const QString& target, bool move)
{
    const QString what = QStringLiteral("Cannot %1 \"%2\"").arg(m_verb, source);
    FileStore& from = m_stores.storeFor(source);
    FileStore& to = m_stores.storeFor(target);
    FileStoreStat targetStat;
    const bool exists = Exists(to, target, targetStat);
    if (exists && !targetStat.folder)
        return m_ui.failure(what + QStringLiteral(": A file named \"%1\" exists already.").arg(target)) ==
                       TTransferUi::Failure::Abort
                   ? Outcome::Stop
                   : Outcome::Skipped;
    if (move && !exists && m_stores.sameStore(source, target)) {
        bool renamed = false;
        const Outcome outcome = moveByRename(source, target, false, renamed);
        if (renamed || outcome != Outcome::Done)
            return outcome;
    }
    Outcome outcome = Outcome::Done;
    if (!exists) {
        outcome = withRetry(QStringLiteral("Cannot create \"%1\"").arg(target),
                            [&](bool&) { return to.makeFolder(target); });
        if (outcome != Outcome::Done)
            return outcome;
    }
    std::vector<FileStoreEntry> entries;
    outcome = withRetry(what, [&](bool&) { return from.list(source, entries); });
    if (outcome != Outcome::Done)
        return outcome;
    bool complete = true;
    for (const FileStoreEntry& entry : entries) {
        outcome = transferItem(Join(source, entry.name), Join(target, entry.name), move);
        if (outcome == Outcome::Stop)
            return outcome;
        complete = complete && outcome == Outcome::Done;
    }
    if (!complete)
        return Outcome::Skipped; // a move leaves the source folder with what stayed behind
    if (!move)
        return Outcome::Done;
    return withRetry(QStringLiteral("Cannot delete \"%1\"").arg(source),
                     [&](bool&) { return from.removeFolder(source); });
}

TFileTransfer::Outcome TFileTransfer::transferLink(const QString& source, const QString& target, bool move)
{
    // Within one file system a rename moves the link itself. A copy would have to follow
    // it, out of the tree perhaps, and a move would then delete what it points to.
    if (move && m_stores.sameStore(source, target)) {
        bool renamed = false;
        const Outcome outcome = moveByRename(source, target, false, renamed);
        if (renamed || outcome != Outcome::Done)
            return outcome;
    }
    return m_ui.failure(QStringLiteral("Cannot %1 \"%2\": It is a symbolic link, which is not copied.")
                            .arg(m_verb, source)) == TTransferUi::Failure::Abort
               ? Outcome::Stop
               : Outcome::Skipped;
}
