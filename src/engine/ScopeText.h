#pragma once

#include "engine/ScopeRoot.h"
#include "model/SearchModes.h"

#include <QString>
#include <QStringList>

// What a search of this type covers, for the status bar and the search log: the scope
// root (or "Entire Network") for a network search, the root "except" the listed
// computers, the listed computers, or the listed IP ranges. A long list names its
// first three entries and how many more follow. An unknown type searches "Nothing".
QString SearchScopeText(TSearchType type, const QStringList& list, const TScopeRoot& root);
