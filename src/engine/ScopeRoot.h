#pragma once

#include "engine/ports/NetworkBrowser.h"

// The network container below which a search enumerates, as the scope browser
// chose it; not assigned means the top of the network ("Entire Network").
struct TScopeRoot {
    bool Assigned = false;
    TNetResource Resource;
};

// Clears root, then copies source into it when source is present.
void AssignScopeRoot(TScopeRoot& root, const TNetResource* source);
void ClearScopeRoot(TScopeRoot& root);
