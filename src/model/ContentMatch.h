#pragma once

#include <QString>

// Why a file passed the content test: the first search term found in it and a short
// piece of the text around that place. Both are empty when the file matched without
// any term being found (the "none of the terms" logic).
struct TContentMatch {
    QString Term;
    QString Excerpt;

    friend bool operator==(const TContentMatch&, const TContentMatch&) = default;
};
