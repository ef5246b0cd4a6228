#include "engine/FtpSearch.h"

#include "engine/ContentTest.h"
#include "engine/DocumentContentTest.h"
#include "engine/FtpSearchDownload.h"
#include "engine/HostProgress.h"
#include "engine/SearchLog.h"
#include "model/DateTime.h"
#include "model/LogCategories.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <optional>
#include <vector>

namespace {

QString FtpLocation(const QString& server, const QString& path)
{
    return QStringLiteral("ftp://") + server + path;
}

// The document test over a download: a file whose first bytes show a document of
// at most DocumentSizeLimit bytes is downloaded whole into memory (within the
// document time limit) and its text tested; anything else is left to the byte
// search, which then reads the kept first bytes again and the rest from the download.
TDocumentVerdict FtpDocumentVerdict(TFtpKeptDownload& download, const QString& location,
                                    HostSearchContext& context, TDocumentLog& documentLog)
{
    const TThreadConfig& config = context.Config();
    const QByteArrayView head = download.readHead(kDocumentHeadSize);
    const TDocumentFormat sniffed = SniffDocumentFormat(head);
    if (sniffed != TDocumentFormat::None && download.size() <= config.DocumentSizeLimit) {
        const TExtractionBudget budget(context.StopToken(),
                                       std::chrono::seconds(std::max(config.DocumentTimeLimit, 1)));
        const QString interruption = download.readWhole(budget);
        if (budget.stopRequested())
            return {.Outcome = TDocumentOutcome::NotMatched, .Format = sniffed, .Match = {}, .Reason = {}};
        if (!interruption.isEmpty()) {
            documentLog.reportFailure(location, sniffed, interruption);
            return {
                .Outcome = TDocumentOutcome::Failed, .Format = sniffed, .Match = {}, .Reason = interruption};
        }
    }
    return TestDocumentContent(download, location, config, context.StopToken(), documentLog);
}

// Downloads the file and runs the content test on the bytes as they arrive; the
// download ends once the answer is known.
std::optional<TContentMatch> FtpContentMatches(FtpClient& client, const QString& path, int64_t size,
                                               const QString& location, HostSearchContext& context,
                                               TDocumentLog& documentLog)
{
    // An empty file never passes, so it costs no download.
    if (size <= 0)
        return std::nullopt;
    context.SetActivity(waScanning, location);
    Result<std::unique_ptr<ByteSource>> download = client.retrieve(path, size);
    if (!download) {
        qCDebug(kestrovaFtp) << "Cannot read" << location << "for the content test - error"
                             << download.error().code << download.error().message;
        return std::nullopt;
    }
    TCountingByteSource counted(*download.value(),
                                [&context](int64_t bytes) { context.CountBytesSearched(bytes); });
    const TThreadConfig& config = context.Config();
    if (!config.SearchInsideDocuments)
        return TestContent(counted, config, context.StopToken());
    // Documents whose text could not be extracted fall through to the byte search.
    TFtpKeptDownload kept(counted, kDocumentHeadSize);
    TDocumentVerdict verdict = FtpDocumentVerdict(kept, location, context, documentLog);
    if (verdict.Outcome == TDocumentOutcome::Matched)
        return std::move(verdict.Match);
    if (verdict.Outcome == TDocumentOutcome::NotMatched)
        return std::nullopt;
    return TestContent(kept, config, context.StopToken());
}

} // namespace

void FtpSearchHost(const QString& host, FtpClientFactory& clientFactory, HostSearchContext& context)
{
    if (host.size() <= 2)
        return;
    const QString server = host.mid(2);
    const std::unique_ptr<FtpClient> client =
        clientFactory.create(context.StopToken(), context.Config().FtpVerifyCertificates);
    // A server that is absent or refuses anonymous users is no finding: silent.
    if (const Result<void> loggedIn = client->login(server); !loggedIn) {
        qCDebug(kestrovaFtp) << "No anonymous FTP on" << server << "- error" << loggedIn.error().code
                             << loggedIn.error().message;
        return;
    }
    FtpWalkGuard guard;
    TDocumentLog documentLog(
        [&context](const QString& line) { context.AddLogEntry(TSearchLogKind::Computer, line); });
    FtpSearchFolder(*client, server, QString(), context, guard, documentLog);
    client->logout();
}

void FtpSearchFolder(FtpClient& client, const QString& server, const QString& path,
                     HostSearchContext& context, FtpWalkGuard& guard, TDocumentLog& documentLog)
{
    const std::stop_token stop = context.StopToken();
    Result<std::vector<FtpListEntry>> listing = client.list(path);
    if (!listing) {
        const PlatformError& error = listing.error();
        qCDebug(kestrovaFtp) << "Cannot list" << FtpLocation(server, path) << "- error" << error.code
                             << error.message;
        // A dropped or silent server must not pass for one without files.
        // Exact text: worded as the SMB walk's line so one log filter finds both; the FTP
        // tests match it.
        if (!stop.stop_requested() && guard.firstFailure())
            context.AddLogEntry(
                TSearchLogKind::Computer,
                QStringLiteral("Cannot search %1: error code %2 (%3)")
                    .arg(FtpLocation(server, path), QString::number(error.code), error.message));
        return;
    }
    if (stop.stop_requested())
        return;
    std::vector<FtpListEntry> entries = std::move(listing).value();
    // Once per folder: a server whose listing the parser cannot read would
    // otherwise look like a server without files.
    // Exact text: tells users which server's listing format is not understood; the FTP
    // tests compare the line.
    if (const FtpUnreadableLines unreadable = client.unreadableLines(); unreadable.count > 0)
        context.AddLogEntry(
            TSearchLogKind::Computer,
            QStringLiteral("Cannot read %1 line(s) of the listing of %2: %3")
                .arg(QString::number(unreadable.count), FtpLocation(server, path), unreadable.first));
    if (!guard.enter(entries))
        return;
    context.SetActivity(waSearching, FtpLocation(server, path));
    std::vector<QString> subfolders;
    for (const FtpListEntry& entry : entries) {
        if (stop.stop_requested())
            break;
        TestFtpEntry(client, path, entry, server, context, documentLog);
        if (guard.shouldWalk(entry))
            subfolders.push_back(path + u'/' + entry.name);
    }
    entries = {};
    for (const QString& subfolder : subfolders) {
        if (stop.stop_requested())
            break;
        FtpSearchFolder(client, server, subfolder, context, guard, documentLog);
    }
    guard.leave();
}

bool TestFtpEntry(FtpClient& client, const QString& path, const FtpListEntry& entry, const QString& server,
                  HostSearchContext& context, TDocumentLog& documentLog)
{
    if (!context.FileNameMatches(entry.name))
        return false;
    const TThreadConfig& config = context.Config();
    if (config.FilterBySize && (entry.size < config.SizeFrom || entry.size > config.SizeTo))
        return false;
    if (config.FilterByDate &&
        !FileDateInRange(DateTimeToFileDate(entry.dateTime), config.DateFrom, config.DateTo))
        return false;
    TItemRecord hit;
    hit.FileName = FtpLocation(server, path) + u'/' + entry.name;
    hit.Attrs = entry.isDirectory ? kAttrDirectory : 0;
    hit.Size = entry.size;
    hit.DateTime = entry.dateTime;
    hit.ImageIndex = -1;
    if (config.EnableTextSearch && !config.SearchText.isEmpty()) {
        // A folder cannot be read as a file, so it never passes the content test.
        if (entry.isDirectory)
            return false;
        std::optional<TContentMatch> match = FtpContentMatches(client, path + u'/' + entry.name, entry.size,
                                                               hit.FileName, context, documentLog);
        context.SetActivity(waSearching, FtpLocation(server, path));
        if (!match)
            return false;
        hit.Match = std::make_shared<const TContentMatch>(std::move(*match));
    }
    context.DeliverHit(hit);
    return true;
}
