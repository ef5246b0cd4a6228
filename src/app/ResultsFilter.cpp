#include "app/ResultsFilter.h"

#include "engine/Mask.h"

#include <algorithm>
#include <thread>

namespace {

// Below this many rows one thread filters faster than two start.
constexpr qsizetype kParallelRows = 200000;

char16_t FoldUnit(char16_t unit)
{
    if (unit < 0x80)
        return unit >= u'A' && unit <= u'Z' ? static_cast<char16_t>(unit + (u'a' - u'A')) : unit;
    return QChar::toCaseFolded(unit);
}

bool HasWildcard(const QString& text)
{
    return text.contains(u'*') || text.contains(u'?');
}

} // namespace

TResultsFilter::TResultsFilter(const QString& text) : m_text(text)
{
    m_folded.reserve(text.size());
    for (const QChar unit : text)
        m_folded.append(QChar(FoldUnit(unit.unicode())));
    m_withinParts = !text.contains(u'\\') && !text.contains(u'/') && !text.contains(u':');
    if (HasWildcard(text)) {
        try {
            m_mask = std::make_shared<const TMask>(text);
        } catch (const std::exception&) {
            m_mask.reset(); // an unfinished mask filters as text until it compiles
        }
    }
}

TResultsFilter::~TResultsFilter() = default;
TResultsFilter::TResultsFilter(const TResultsFilter& other) = default;
TResultsFilter& TResultsFilter::operator=(const TResultsFilter& other) = default;

bool TResultsFilter::containsFolded(QStringView haystack) const
{
    const qsizetype length = m_folded.size();
    if (length == 0)
        return true;
    const QChar* needle = m_folded.constData();
    const QChar* data = haystack.data();
    const char16_t first = needle[0].unicode();
    // The first unit's two ASCII cases are compared directly; only units beyond ASCII
    // (a Kelvin sign folds to "k") go through the fold.
    const char16_t firstUpper =
        first >= u'a' && first <= u'z' ? static_cast<char16_t>(first - (u'a' - u'A')) : first;
    const qsizetype last = haystack.size() - length;
    for (qsizetype start = 0; start <= last; ++start) {
        const char16_t unit = data[start].unicode();
        if (unit != first && unit != firstUpper && (unit < 0x80 || FoldUnit(unit) != first))
            continue;
        qsizetype i = 1;
        while (i < length && FoldUnit(data[start + i].unicode()) == needle[i].unicode())
            ++i;
        if (i == length)
            return true;
    }
    return false;
}

bool TResultsFilter::matches(const TItemRecord& record) const
{
    if (!active())
        return true;
    if (m_mask) {
        // A view of the record's own characters: the mask takes a QString, no copy is made.
        const QStringView name = ItemNameView(record);
        return m_mask->Matches(QString::fromRawData(name.data(), name.size()));
    }
    // Text without a path delimiter cannot match across the one between the location
    // and the name, so one pass over the whole path finds it in either.
    if (m_withinParts)
        return containsFolded(record.FileName);
    return containsFolded(ItemNameView(record)) || containsFolded(ItemLocationView(record));
}

bool TResultsFilter::narrows(const TResultsFilter& previous) const
{
    if (!previous.active())
        return true;
    // A longer substring appears only where a shorter one inside it appears too.
    return !m_mask && !previous.m_mask && m_folded.contains(previous.m_folded);
}

std::vector<int> TResultsFilter::select(const TItemList& items, const std::vector<int>* candidates) const
{
    const qsizetype count = candidates ? static_cast<qsizetype>(candidates->size()) : items.size();
    auto rowAt = [&](qsizetype i) {
        return candidates ? (*candidates)[static_cast<size_t>(i)] : static_cast<int>(i);
    };
    auto run = [&](qsizetype from, qsizetype to, std::vector<int>& out) {
        for (qsizetype i = from; i < to; ++i) {
            const int row = rowAt(i);
            if (matches(items.at(row)))
                out.push_back(row);
        }
    };
    std::vector<int> shown;
    if (count < kParallelRows || std::thread::hardware_concurrency() < 2) {
        run(0, count, shown);
        return shown;
    }
    // The first half here, the second on a helper thread; the records are only read.
    std::vector<int> second;
    const qsizetype half = count / 2;
    std::thread helper([&] { run(half, count, second); });
    run(0, half, shown);
    helper.join();
    shown.insert(shown.end(), second.begin(), second.end());
    return shown;
}
