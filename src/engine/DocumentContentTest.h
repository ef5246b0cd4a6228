#pragma once

#include "documents/DocumentText.h"
#include "engine/ports/ByteSource.h"
#include "model/ContentMatch.h"
#include "model/SearchModes.h"
#include "model/ThreadConfig.h"

#include <QString>
#include <functional>
#include <optional>
#include <set>
#include <stop_token>
#include <utility>

// The content test on a document's text ("Search inside documents"): the terms,
// logic and case rules of the byte search, applied to the text extracted from a
// recognised document instead of its raw bytes. The content test calls it first
// when the option is on; every outcome but Matched and NotMatched sends the file on
// to the byte search.

enum class TDocumentOutcome {
    NotDocument, // no document this reader knows, or too small to be one: search the bytes
    Failed,      // a document whose text could not be extracted (Reason says why): search the bytes
    Matched,     // the text passes the test (Match says why)
    NotMatched,  // the text does not pass, or the search was stopped
};

struct TDocumentVerdict {
    TDocumentOutcome Outcome = TDocumentOutcome::NotDocument;
    TDocumentFormat Format = TDocumentFormat::None;
    TContentMatch Match;
    QString Reason;
};

// Names documents whose text could not be extracted in the search log, once per
// file type and host, so that a share full of damaged files gives one line per type.
class TDocumentLog {
public:
    using TAddLine = std::function<void(const QString&)>;
    explicit TDocumentLog(TAddLine addLine) : m_addLine(std::move(addLine)) {}

    // path is the file's UNC path or FTP URL; its host is the name after "\\" or "://".
    void reportFailure(const QString& path, TDocumentFormat format, const QString& reason);

private:
    TAddLine m_addLine;
    std::set<std::pair<QString, TDocumentFormat>> m_logged;
};

// About kExcerptLength characters of text around the term at position (length
// characters), the term roughly centred, runs of white space made one blank.
QString ExcerptAround(const QString& text, qsizetype position, qsizetype length);

// The test on text: the search text split into terms like the byte search does,
// each term found case-sensitively, combined by logic. The match names the term
// that occurs first in the text and its excerpt; under None it is empty. A
// multi-term text with an Unknown logic raises "Wrong text search logic".
std::optional<TContentMatch> MatchTermsInText(const QString& text, const QString& searchText,
                                              TTextLogic logic);

// The whole document test for one file: reads its first bytes, and when they show a
// document, the whole file (at most config.DocumentSizeLimit bytes, in chunks,
// noticing stop between them), extracts the text within config.DocumentTimeLimit
// seconds and tests it with config.SearchText and config.Logic. Failures are
// reported to log.
TDocumentVerdict TestDocumentContent(ByteSource& source, const QString& path, const TThreadConfig& config,
                                     std::stop_token stop, TDocumentLog& log);
