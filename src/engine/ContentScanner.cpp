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

enum class TermLogic { All, Any, None };

bool HoldsSeveralTerms(const QString& text)
{
    return text.contains(u',') || text.contains(u'"') || text.contains(u' ');
}

TermLogic LogicOf(int32_t logic, bool severalTerms)
{
    switch (logic) {
    case 0:
        return TermLogic::All;
    case 1:
        return TermLogic::Any;
    case 2:
        return TermLogic::None;
    default:
        // For one term "all" and "any" are the same test.
        if (severalTerms)
            RaiseError(QStringLiteral("Wrong text search logic"));
        return TermLogic::All;
    }
}

} // namespace

QByteArray TermToBytes(const QString& term, int32_t encoding)
{
    switch (encoding) {
    case 0:
        return ToAnsi(term);
    case 1: {
        QByteArray bytes(term.size() * 2, Qt::Uninitialized);
        for (qsizetype i = 0; i < term.size(); ++i) {
            const char16_t unit = term.at(i).unicode();
            bytes[2 * i] = static_cast<char>(unit & 0xFF);
            bytes[2 * i + 1] = static_cast<char>(unit >> 8);
        }
        return bytes;
    }
    case 2:
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

bool FileContainsText(ByteSource& source, const QString& text, int32_t logic, int32_t encoding,
                      size_t chunkSize, const std::stop_token& stop)
{
    const int64_t size = source.size();
    if (size <= 0)
        return false;

    const bool severalTerms = HoldsSeveralTerms(text);
    const TermLogic termLogic = LogicOf(logic, severalTerms);
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
    if (termLogic == TermLogic::All && std::any_of(finders.begin(), finders.end(), cannotOccur))
        return false;

    // "any" and "none" are decided by the first term found; "all" needs every one
    // of them, and the scan ends by itself once nothing is missing.
    const PatternScanResult scan =
        ScanForPatterns(source, size, finders, termLogic != TermLogic::All, chunkSize, stop);
    if (scan.status != ScanStatus::Completed)
        return false;

    const auto foundCount = std::count(scan.found.begin(), scan.found.end(), true);
    switch (termLogic) {
    case TermLogic::All:
        return foundCount == static_cast<qsizetype>(finders.size());
    case TermLogic::Any:
        return foundCount > 0;
    case TermLogic::None:
        return foundCount == 0;
    }
    return false;
}
