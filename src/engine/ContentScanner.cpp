#include "engine/ContentScanner.h"

#include "engine/ByteFinder.h"
#include "model/AnsiCodec.h"
#include "model/DelimitedText.h"
#include "model/Error.h"

#include <QStringList>
#include <algorithm>
#include <vector>

namespace {

// FindBytes searches a large buffer in slices so that a stop request is noticed in
// the middle of it.
constexpr size_t kFindSliceSize = size_t{1} << 20;

bool HoldsSeveralTerms(const QString& text)
{
    return text.contains(u',') || text.contains(u'"') || text.contains(u' ');
}

// The logic the scan runs with: never Unknown.
TTextLogic LogicOf(TTextLogic logic, bool severalTerms)
{
    if (logic != TTextLogic::Unknown)
        return logic;
    // For one term "all" and "any" are the same test.
    // Exact text: shown when several terms come without a logic; users see it in a
    // message box and the scanner tests compare it.
    if (severalTerms)
        RaiseError(QStringLiteral("Wrong text search logic"));
    return TTextLogic::All;
}

} // namespace

QByteArray TermToBytes(const QString& term, TTextEncoding encoding)
{
    switch (encoding) {
    case TTextEncoding::Ansi:
        return ToAnsi(term);
    case TTextEncoding::Utf16Le: {
        QByteArray bytes(term.size() * 2, Qt::Uninitialized);
        for (qsizetype i = 0; i < term.size(); ++i) {
            const char16_t unit = term.at(i).unicode();
            bytes[2 * i] = static_cast<char>(unit & 0xFF);
            bytes[2 * i + 1] = static_cast<char>(unit >> 8);
        }
        return bytes;
    }
    case TTextEncoding::Utf8:
        return term.toUtf8();
    default:
        return {};
    }
}

bool FindBytes(const char* buffer, size_t length, const char* pattern, size_t patternLength,
               const std::stop_token& stop)
{
    if (patternLength == 0 || patternLength > length)
        return false;
    const ByteFinder finder(QByteArray::fromRawData(pattern, static_cast<qsizetype>(patternLength)));
    for (size_t start = 0;; start += kFindSliceSize) {
        if (stop.stop_requested())
            return false;
        // Slices overlap by patternLength - 1 bytes, so no start position is lost.
        const size_t end = std::min(length, start + kFindSliceSize + patternLength - 1);
        if (finder.find(buffer + start, end - start) >= 0)
            return true;
        if (end == length)
            return false;
    }
}

ContentScanVerdict ScanContent(ByteSource& source, const QString& text, TTextLogic logic,
                               TTextEncoding encoding, size_t chunkSize, const std::stop_token& stop,
                               size_t contextBytes)
{
    ContentScanVerdict verdict;
    const int64_t size = source.size();
    if (size <= 0)
        return verdict;

    const bool severalTerms = HoldsSeveralTerms(text);
    const TTextLogic termLogic = LogicOf(logic, severalTerms);
    const QStringList terms = severalTerms ? SplitCommaText(text) : QStringList{text};

    std::vector<ByteFinder> finders;
    finders.reserve(terms.size());
    for (const QString& term : terms)
        finders.emplace_back(TermToBytes(term, encoding));

    // A term that cannot occur (no bytes, or longer than the file) decides "all"
    // before anything is read.
    const auto cannotOccur = [size](const ByteFinder& finder) {
        return finder.size() == 0 || finder.size() > static_cast<uint64_t>(size);
    };
    if (termLogic == TTextLogic::All && std::any_of(finders.begin(), finders.end(), cannotOccur))
        return verdict;

    // "any" and "none" are decided by the first term found; "all" needs every one
    // of them, and the scan ends by itself once nothing is missing. Context is
    // wanted only where a found term makes the pass.
    const bool wantContext = termLogic != TTextLogic::None;
    PatternScanResult scan = ScanForPatterns(source, size, finders, termLogic != TTextLogic::All, chunkSize,
                                             stop, wantContext ? contextBytes : 0);
    if (scan.status != ScanStatus::Completed)
        return verdict;

    const auto foundCount = std::count(scan.found.begin(), scan.found.end(), true);
    switch (termLogic) {
    case TTextLogic::All:
        verdict.passes = foundCount == static_cast<qsizetype>(finders.size());
        break;
    case TTextLogic::Any:
        verdict.passes = foundCount > 0;
        break;
    case TTextLogic::None:
        verdict.passes = foundCount == 0;
        break;
    case TTextLogic::Unknown:
        break;
    }
    if (verdict.passes && wantContext && scan.first) {
        verdict.term = terms.at(static_cast<qsizetype>(scan.first->finder));
        verdict.hit = std::move(scan.first);
    }
    return verdict;
}

bool FileContainsText(ByteSource& source, const QString& text, TTextLogic logic, TTextEncoding encoding,
                      size_t chunkSize, const std::stop_token& stop)
{
    return ScanContent(source, text, logic, encoding, chunkSize, stop).passes;
}
