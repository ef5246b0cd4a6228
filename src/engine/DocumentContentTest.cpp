#include "engine/DocumentContentTest.h"

#include "engine/PatternScan.h"
#include "model/DelimitedText.h"
#include "model/Error.h"

#include <QByteArray>
#include <QStringList>
#include <algorithm>
#include <chrono>
#include <memory>

namespace {

// The host part of a UNC path or URL.
QString HostOfPath(const QString& path)
{
    if (path.startsWith(u"\\\\"))
        return path.mid(2).section(u'\\', 0, 0);
    const qsizetype scheme = path.indexOf(u"://");
    if (scheme >= 0)
        return path.mid(scheme + 3).section(u'/', 0, 0);
    return {};
}

// The terms as the byte search splits them: several when the text holds a comma, a
// double quote or a blank.
QStringList SearchTerms(const QString& text, TTextLogic& logic)
{
    const bool severalTerms = text.contains(u',') || text.contains(u'"') || text.contains(u' ');
    if (logic == TTextLogic::Unknown) {
        // Exact text: the same message as ContentScanner's, for document searches.
        if (severalTerms)
            RaiseError(QStringLiteral("Wrong text search logic"));
        logic = TTextLogic::All;
    }
    return severalTerms ? SplitCommaText(text) : QStringList{text};
}

// Reads up to length bytes at offset, in chunks, until full, the end of the file,
// a read error (-1) or an interruption of the budget (-2).
int64_t ReadFully(ByteSource& source, int64_t offset, char* buffer, int64_t length,
                  const TExtractionBudget& budget)
{
    int64_t done = 0;
    while (done < length) {
        if (!budget.interruption().isEmpty())
            return -2;
        const int64_t chunk = std::min<int64_t>(length - done, static_cast<int64_t>(kScanChunkSize));
        const int64_t got = source.read(offset + done, buffer + done, chunk);
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        done += got;
    }
    return done;
}

TDocumentVerdict Failure(TDocumentFormat format, QString reason)
{
    return {.Outcome = TDocumentOutcome::Failed, .Format = format, .Match = {}, .Reason = std::move(reason)};
}

TDocumentVerdict Stopped(TDocumentFormat format)
{
    return {.Outcome = TDocumentOutcome::NotMatched, .Format = format, .Match = {}, .Reason = {}};
}

// The verdict when there is nothing to test; otherwise text holds the document's text.
TDocumentVerdict ReadAndExtract(ByteSource& source, const TThreadConfig& config, std::stop_token stop,
                                std::optional<QString>& text)
{
    const int64_t size = source.size();
    if (size <= 0)
        return {};
    TExtractionBudget budget(std::move(stop), std::chrono::seconds(std::max(config.DocumentTimeLimit, 1)));

    QByteArray head(static_cast<qsizetype>(std::min<int64_t>(size, kDocumentHeadSize)), Qt::Uninitialized);
    const int64_t headRead = ReadFully(source, 0, head.data(), head.size(), budget);
    if (headRead == -2)
        return Stopped(TDocumentFormat::None);
    if (headRead <= 0)
        return {};
    head.truncate(static_cast<qsizetype>(headRead));
    const TDocumentFormat sniffed = SniffDocumentFormat(head);
    if (sniffed == TDocumentFormat::None)
        return {};
    // Exact text: the reasons here end the "Cannot search the text of" log line below,
    // which the document tests compare.
    if (size > config.DocumentSizeLimit) {
        // A large compound file is an old Office document far more often than an encrypted one.
        if (sniffed == TDocumentFormat::CompoundFile)
            return {};
        return Failure(sniffed,
                       QStringLiteral("it is larger than %1 MB").arg(config.DocumentSizeLimit >> 20));
    }

    // A source that holds the file in memory (mapped, or a download kept whole) is
    // extracted in place; any other is read into memory.
    const std::unique_ptr<MappedBytes> mapped = source.map();
    QByteArray bytes;
    if (mapped && mapped->size() == size) {
        bytes = QByteArray::fromRawData(mapped->data(), static_cast<qsizetype>(size));
    } else {
        bytes = QByteArray(static_cast<qsizetype>(size), Qt::Uninitialized);
        std::copy(head.cbegin(), head.cend(), bytes.begin());
        const int64_t restRead =
            ReadFully(source, head.size(), bytes.data() + head.size(), size - head.size(), budget);
        if (restRead == -2)
            return budget.stopRequested() ? Stopped(sniffed) : Failure(sniffed, budget.interruption());
        if (restRead == -1)
            return Failure(sniffed, QStringLiteral("it could not be read to its end"));
        bytes.truncate(head.size() + static_cast<qsizetype>(restRead));
    }

    TDocumentText document = ExtractDocumentText(bytes, budget);
    if (mapped && !mapped->intact())
        return Failure(sniffed, QStringLiteral("it could not be read to its end"));
    if (document.Format == TDocumentFormat::None)
        return {};
    if (budget.stopRequested())
        return Stopped(document.Format);
    if (!document.Error.isEmpty())
        return Failure(document.Format, document.Error);
    text = std::move(document.Text);
    return {.Outcome = TDocumentOutcome::NotMatched, .Format = document.Format, .Match = {}, .Reason = {}};
}

} // namespace

void TDocumentLog::reportFailure(const QString& path, TDocumentFormat format, const QString& reason)
{
    if (!m_logged.emplace(HostOfPath(path), format).second)
        return;
    // Exact text: the log view shows it; the document tests compare it.
    m_addLine(QStringLiteral("Cannot search the text of %1 (%2): %3. Its bytes are searched instead; "
                             "further %2 files on this computer whose text cannot be read are not named.")
                  .arg(path, DocumentFormatName(format), reason));
}

QString ExcerptAround(const QString& text, qsizetype position, qsizetype length)
{
    const qsizetype width = std::max(kExcerptLength, length);
    qsizetype start = std::max<qsizetype>(0, position - (width - length) / 2);
    const qsizetype end = std::min(text.size(), start + width);
    start = std::max<qsizetype>(0, std::min(start, end - width));
    QStringView excerpt = QStringView(text).sliced(start, end - start);
    // Never half a surrogate pair at either edge.
    if (!excerpt.isEmpty() && excerpt.front().isLowSurrogate())
        excerpt = excerpt.sliced(1);
    if (!excerpt.isEmpty() && excerpt.back().isHighSurrogate())
        excerpt.chop(1);
    return excerpt.toString().simplified();
}

std::optional<TContentMatch> MatchTermsInText(const QString& text, const QString& searchText,
                                              TTextLogic logic)
{
    const QStringList terms = SearchTerms(searchText, logic);
    qsizetype firstPosition = -1;
    qsizetype firstTerm = -1;
    qsizetype found = 0;
    for (qsizetype index = 0; index < terms.size(); ++index) {
        const QString& term = terms[index];
        const qsizetype position = term.isEmpty() ? -1 : text.indexOf(term, 0, Qt::CaseSensitive);
        if (position < 0)
            continue;
        ++found;
        if (firstPosition < 0 || position < firstPosition) {
            firstPosition = position;
            firstTerm = index;
        }
    }
    const bool passes = logic == TTextLogic::All    ? found == terms.size()
                        : logic == TTextLogic::Any  ? found > 0
                        : logic == TTextLogic::None ? found == 0
                                                    : false;
    if (!passes)
        return std::nullopt;
    if (firstTerm < 0)
        return TContentMatch{};
    return TContentMatch{terms[firstTerm], ExcerptAround(text, firstPosition, terms[firstTerm].size())};
}

TDocumentVerdict TestDocumentContent(ByteSource& source, const QString& path, const TThreadConfig& config,
                                     std::stop_token stop, TDocumentLog& log)
{
    std::optional<QString> text;
    TDocumentVerdict verdict = ReadAndExtract(source, config, std::move(stop), text);
    if (verdict.Outcome == TDocumentOutcome::Failed)
        log.reportFailure(path, verdict.Format, verdict.Reason);
    if (!text)
        return verdict;
    if (std::optional<TContentMatch> match = MatchTermsInText(*text, config.SearchText, config.Logic)) {
        verdict.Outcome = TDocumentOutcome::Matched;
        verdict.Match = std::move(*match);
    }
    return verdict;
}
