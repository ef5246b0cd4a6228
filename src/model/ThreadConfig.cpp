#include "model/ThreadConfig.h"

int64_t SizeInBytes(int32_t storedValue, int32_t unitIndex)
{
    const auto value = static_cast<int64_t>(static_cast<uint32_t>(storedValue));
    switch (unitIndex) {
    case 0: return value * 1024 * 1024;
    case 1: return value * 1024;
    case 2: return value;
    default: return 0;
    }
}
