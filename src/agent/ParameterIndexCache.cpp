#include "agent/ParameterIndexCache.h"

#include <dlfcn.h>

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

// This program's definition of Samba's setting lookup: the dynamic linker binds
// the library's own calls to it (the agent exports the name), and it hands the
// names it has not seen yet to the library's definition, the next one in line.
extern "C" int lpcfg_map_parameter(const char* name)
{
    static const auto library =
        reinterpret_cast<ParameterIndexCache::Lookup>(::dlsym(RTLD_NEXT, "lpcfg_map_parameter"));
    static ParameterIndexCache cache;
    if (!library)
        return -1;
    return cache.find(name, library);
}
