// The agent's definition of Samba's setting lookup by name. The dynamic linker
// binds the library's own calls to it (the agent exports the name; see
// ParameterIndexCache.h for why), and it hands names it has not seen yet to the
// library's definition, the next one in line.

#include "agent/ParameterIndexCache.h"

#include <dlfcn.h>

extern "C" int lpcfg_map_parameter(const char* name)
{
    static const auto library =
        reinterpret_cast<ParameterIndexCache::Lookup>(::dlsym(RTLD_NEXT, "lpcfg_map_parameter"));
    static ParameterIndexCache cache;
    if (!library)
        return -1;
    return cache.find(name, library);
}
