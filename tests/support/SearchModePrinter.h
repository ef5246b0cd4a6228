#pragma once

#include "model/SearchModes.h"

#include <ostream>

// Lets GoogleTest show a search mode as its stored value in failure messages
// instead of its bytes.
template <typename Mode> void PrintStoredModeValue(Mode mode, std::ostream* out)
{
    *out << StoredModeValue(mode);
}

inline void PrintTo(TSearchType mode, std::ostream* out)
{
    PrintStoredModeValue(mode, out);
}
inline void PrintTo(THiddenShareMode mode, std::ostream* out)
{
    PrintStoredModeValue(mode, out);
}
inline void PrintTo(TFolderListMode mode, std::ostream* out)
{
    PrintStoredModeValue(mode, out);
}
inline void PrintTo(TFtpMode mode, std::ostream* out)
{
    PrintStoredModeValue(mode, out);
}
inline void PrintTo(TTextLogic mode, std::ostream* out)
{
    PrintStoredModeValue(mode, out);
}
inline void PrintTo(TTextEncoding mode, std::ostream* out)
{
    PrintStoredModeValue(mode, out);
}
inline void PrintTo(TSizeUnit mode, std::ostream* out)
{
    PrintStoredModeValue(mode, out);
}
