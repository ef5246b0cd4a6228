#pragma once

#include "model/ItemRecord.h"

#include <QString>
#include <memory>
#include <vector>

class TMask;

// What the filter box above the results list lets through. Text with "*" or "?" is a
// name mask (the search's own mask syntax, matched against the file name); other text
// is a substring of the file name or of its location, without regard to case. Empty
// text lets every record through. A mask that does not compile ("[a") is taken as
// plain text, so typing never raises.
//
// Filtering a million records has to fit between two keystrokes: the substring test
// folds case one UTF-16 unit at a time over views of the record's name (no copies),
// and select() splits a large list between two threads. A text that only grows the
// previous one (narrows()) is tested on the rows that text let through.
class TResultsFilter {
public:
    TResultsFilter() = default;
    explicit TResultsFilter(const QString& text);
    ~TResultsFilter();
    TResultsFilter(const TResultsFilter& other);
    TResultsFilter& operator=(const TResultsFilter& other);

    const QString& text() const { return m_text; }
    bool active() const { return !m_text.isEmpty(); }
    bool isMask() const { return m_mask != nullptr; }

    bool matches(const TItemRecord& record) const;
    // Whether every record this filter lets through also passed `previous`, so that
    // only the rows `previous` let through need a test.
    bool narrows(const TResultsFilter& previous) const;

    // The indices of the records that pass: of all of items, or (candidates not null)
    // of those listed there, in ascending order.
    std::vector<int> select(const TItemList& items, const std::vector<int>* candidates = nullptr) const;

private:
    bool containsFolded(QStringView haystack) const;

    QString m_text;
    QString m_folded;          // m_text folded unit by unit (FoldUnit)
    bool m_withinParts = true; // no path delimiter in the text
    std::shared_ptr<const TMask> m_mask;
};
