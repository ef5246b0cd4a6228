#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

// Remembers where Samba's table of settings holds each setting name.
//
// libsmbclient renews its logon settings on every call that takes a URL (twice
// per folder listing), and each renewal looks up about ten settings by name.
// Samba finds a name by comparing it with every entry of its table of several
// hundred, ignoring case and blanks: in a walk of many small folders that was
// some 40 % of the agent's CPU time. The table is fixed for the life of the
// process, so an index once found stays right. Names the table lacks are asked
// again every time: the library reports each such lookup itself.
class ParameterIndexCache {
public:
    using Lookup = int (*)(const char* name);

    // The index of name: from memory, else from lookup (-1: no such setting).
    int find(const char* name, Lookup lookup);

private:
    struct Hash {
        using is_transparent = void;
        size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
    };

    std::mutex m_mutex;
    std::unordered_map<std::string, int, Hash, std::equal_to<>> m_found;
};
