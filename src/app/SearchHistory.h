#pragma once

#include <QString>
#include <QStringList>

// The drop-down lists of the two search boxes: newest first, at most 10 items.
constexpr int kHistoryLimit = 10;

// Puts text at the top unless an item equal to it without regard to case is there
// already (the list then keeps its order), then drops items past the limit. The text
// is stored as typed, blanks included; an empty text counts like any other.
void AddHistoryItem(QStringList& history, const QString& text);
