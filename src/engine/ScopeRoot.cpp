#include "engine/ScopeRoot.h"

void AssignScopeRoot(TScopeRoot& root, const TNetResource* source)
{
    ClearScopeRoot(root);
    if (source) {
        root.Resource = *source;
        root.Assigned = true;
    }
}

void ClearScopeRoot(TScopeRoot& root)
{
    root.Resource = TNetResource{};
    root.Assigned = false;
}
