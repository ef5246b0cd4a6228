#pragma once

#include <QString>

// Characters of an excerpt: the term with the text before and after it (more when
// the term alone is longer).
inline constexpr qsizetype kExcerptLength = 60;

// Why a file passed the content test: the first search term found in it and a short
// piece of the text around that place. Both are empty when the file matched without
// any term being found (the "none of the terms" logic).
struct TContentMatch {
    QString Term;
    QString Excerpt;

    friend bool operator==(const TContentMatch&, const TContentMatch&) = default;
};

// How the results view and the HTML report show a match: "term: excerpt"; empty
// for no match or one without a term.
inline QString ContentMatchText(const TContentMatch* match)
{
    if (!match || match->Term.isEmpty())
        return {};
    return match->Term + QStringLiteral(": ") + match->Excerpt;
}
