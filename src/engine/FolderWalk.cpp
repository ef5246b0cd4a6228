#include "engine/FolderWalk.h"

#include "engine/ContentTest.h"
#include "engine/HostProgress.h"
#include "model/DateTime.h"
#include "model/LogCategories.h"

#include <QCryptographicHash>
#include <algorithm>
#include <cerrno>
#include <ranges>
#include <utility>

namespace {

// Whether a failed listing says more than that this one folder is closed to the user.
bool IsServerFailure(const PlatformError& error)
{
    switch (error.code) {
    case EACCES:
    case EPERM:
    case ENOENT:
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
    case ECANCELED:
        return false;
    default:
        return true;
    }
}

bool IsDotEntry(const QString& name)
{
    return name == u"." || name == u"..";
}

// What a looped folder repeats exactly: every entry but "..", in listing order. Also
// counts the entries other than "." and "..".
QByteArray ListingIdentity(const std::vector<ShareDirEntry>& entries, int& children)
{
    QCryptographicHash hash(QCryptographicHash::Sha1);
    children = 0;
    for (const auto& entry : entries) {
        if (entry.name == u"..")
            continue;
        if (entry.name != u".")
            ++children;
        const QByteArray name = entry.name.toUtf8();
        const int64_t numbers[] = {name.size(), entry.attributes, entry.size, entry.writeTime};
        hash.addData(QByteArrayView(reinterpret_cast<const char*>(numbers), sizeof numbers));
        hash.addData(name);
    }
    return hash.result();
}

} // namespace

TSearchRec ToSearchRec(const ShareDirEntry& entry)
{
    TSearchRec rec;
    rec.Name = entry.name;
    rec.Attr = static_cast<int32_t>(entry.attributes);
    rec.SizeHigh = static_cast<uint32_t>(static_cast<uint64_t>(entry.size) >> 32);
    rec.SizeLow = static_cast<uint32_t>(static_cast<uint64_t>(entry.size));
    rec.Time = UnixTimeToFileDate(entry.writeTime);
    return rec;
}

TFolderWalk::TFolderWalk(ShareClient& client, HostSearchContext& context, const TFileMaskList& folderMasks)
    : m_client(client), m_context(context), m_folderMasks(folderMasks),
      m_documentLog([&context](const QString& line) { context.AddLogEntry(TSearchLogKind::Computer, line); })
{
}

TShareRights TFolderWalk::ReadableShareRights(const QString& share)
{
    // Reported as writable only when the server said so; without an answer it stays READ.
    const Result<bool> writable = m_client.writeAccess(share);
    if (!writable)
        qCDebug(kestrovaSmb) << "Cannot tell whether" << share << "is writable - error"
                             << writable.error().code << writable.error().message;
    return writable && writable.value() ? TShareRights::ReadWrite : TShareRights::Read;
}

bool TFolderWalk::EntriesAreCandidates(const QString& folder) const
{
    switch (m_context.Config().FoldersSearchMethod) {
    case TFolderListMode::OnlySpecified:
        return FolderMatches(m_folderMasks, folder);
    case TFolderListMode::AllExceptSpecified:
        return !FolderMatches(m_folderMasks, folder);
    default:
        return true;
    }
}

void TFolderWalk::SearchFolder(const QString& folder, int depth)
{
    const bool candidates = EntriesAreCandidates(folder);

    m_context.HandOverHeldHits(); // a listing may take a while
    Result<std::vector<ShareDirEntry>> listing = m_client.listFolder(folder);
    if (!listing) {
        const PlatformError& error = listing.error();
        qCDebug(kestrovaSmb) << "Cannot list" << folder << "at depth" << depth << "- error" << error.code
                             << error.message;
        // A share that cannot be listed is always named; below it a folder the user may
        // not read is skipped silently, but a server gone or hung in the middle of the
        // walk is named once (it fails every listing after it).
        // Exact text: users look up failed shares by this line and its code; the walk
        // and SMB failure tests match it, and FTP searches write the same words.
        if (depth == 0 || (IsServerFailure(error) && !m_context.StopToken().stop_requested() &&
                           !std::exchange(m_serverFailureLogged, true))) {
            m_context.AddLogEntry(TSearchLogKind::Computer,
                                  QStringLiteral("Cannot search %1: error code %2 (%3)")
                                      .arg(folder, QString::number(error.code), error.message));
        }
        if (depth == 0)
            m_context.ShareReached(folder, TShareRights::None, error.message);
        return;
    }
    const std::vector<ShareDirEntry> entries = std::move(listing).value();
    if (depth == 0) {
        m_context.ShareReached(folder, ReadableShareRights(folder), {});
        m_context.AddLogEntry(TSearchLogKind::Computer, QStringLiteral("Searching %1...").arg(folder));
    }

    int children = 0;
    QByteArray identity = ListingIdentity(entries, children);
    if (children > 1 && std::find(m_ancestorIdentities.begin(), m_ancestorIdentities.end(), identity) !=
                            m_ancestorIdentities.end())
        return;
    m_ancestorIdentities.push_back(std::move(identity));
    struct PopOnExit {
        std::vector<QByteArray>& stack;
        ~PopOnExit() { stack.pop_back(); }
    } popOnExit{m_ancestorIdentities};

    HintSubfolders(folder, entries);
    const std::stop_token stop = m_context.StopToken();
    // The activity names this folder from its first entry on; it is named again only
    // after a subfolder or a content scan (which names each file) has named another.
    const bool scansContent = m_context.Config().EnableTextSearch && !m_context.Config().SearchText.isEmpty();
    bool activityShown = false;
    for (const auto& listed : entries) {
        if (stop.stop_requested())
            break;
        if (IsDotEntry(listed.name))
            continue;
        if (!std::exchange(activityShown, true))
            m_context.SetActivity(waSearching, folder);
        const TSearchRec entry = ToSearchRec(listed);
        if (candidates) {
            TestEntry(folder, entry);
            activityShown = !scansContent;
        }
        if (SearchRecIsFolder(entry)) {
            const QString subfolder = folder + u'\\' + entry.Name;
            if (depth < kMaxWalkDepth && subfolder.size() <= kMaxWalkPathLength) {
                SearchFolder(subfolder, depth + 1);
                activityShown = false;
            }
        }
    }
    if (depth == 0)
        m_context.HandOverHeldHits();
}

void TFolderWalk::HintSubfolders(const QString& folder, const std::vector<ShareDirEntry>& entries)
{
    std::vector<QString> subfolders;
    for (const auto& listed : entries) {
        if (int(subfolders.size()) == kPrefetchHints)
            break;
        if ((listed.attributes & kAttrDirectory) == 0 || IsDotEntry(listed.name))
            continue;
        QString subfolder = folder + u'\\' + listed.name;
        if (subfolder.size() <= kMaxWalkPathLength)
            subfolders.push_back(std::move(subfolder));
    }
    std::for_each(subfolders.rbegin(), subfolders.rend(),
                  [this](const QString& subfolder) { m_client.prefetchFolder(subfolder); });
}

bool TFolderWalk::TestEntry(const QString& folder, const TSearchRec& entry)
{
    const TThreadConfig& config = m_context.Config();
    if (!m_context.FileNameMatches(entry.Name))
        return false;
    const int64_t size = SearchRecSize(entry);
    if (config.FilterBySize && (size < config.SizeFrom || size > config.SizeTo))
        return false;
    if (config.FilterByDate && (entry.Time < config.DateFrom || entry.Time > config.DateTo))
        return false;
    const QString path = folder + u'\\' + entry.Name;
    TItemRecord hit = MakeItemRecord(path, entry.Attr, -1, FileDateToDateTime(entry.Time), size);
    if (config.EnableTextSearch && !config.SearchText.isEmpty()) {
        // A folder cannot be opened as a file, so it never passes the content test.
        std::optional<TContentMatch> match;
        if (SearchRecIsFolder(entry) || !(match = ContentMatches(path)))
            return false;
        hit.Match = std::make_shared<const TContentMatch>(std::move(*match));
    }
    m_context.HoldHit(hit);
    return true;
}

std::optional<TContentMatch> TFolderWalk::ContentMatches(const QString& path)
{
    m_context.SetActivity(waScanning, path);
    m_context.HandOverHeldHits(); // opening and reading a file may take a while
    const Result<std::unique_ptr<ByteSource>> source = m_client.openFile(path);
    if (!source) {
        qCDebug(kestrovaSmb) << "Cannot open" << path << "for the content test - error" << source.error().code
                             << source.error().message;
        return std::nullopt;
    }
    TCountingByteSource counted(*source.value(),
                                [this](int64_t bytes) { m_context.CountBytesSearched(bytes); });
    const TThreadConfig& config = m_context.Config();
    if (config.SearchInsideDocuments) {
        // Documents whose text could not be extracted fall through to the byte search.
        TDocumentVerdict verdict =
            TestDocumentContent(counted, path, config, m_context.StopToken(), m_documentLog);
        if (verdict.Outcome == TDocumentOutcome::Matched)
            return std::move(verdict.Match);
        if (verdict.Outcome == TDocumentOutcome::NotMatched)
            return std::nullopt;
    }
    return TestContent(counted, config, m_context.StopToken());
}
