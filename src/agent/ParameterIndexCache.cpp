#include "agent/ParameterIndexCache.h"

int ParameterIndexCache::find(const char* name, Lookup lookup)
{
    if (!name)
        return lookup(name);
    std::lock_guard lock(m_mutex);
    if (auto found = m_found.find(std::string_view(name)); found != m_found.end())
        return found->second;
    const int index = lookup(name);
    if (index >= 0)
        m_found.emplace(name, index);
    return index;
}
