#include "model/ThreadConfig.h"

int64_t SizeInBytes(int32_t storedValue, TSizeUnit unit)
{
    const auto value = static_cast<int64_t>(static_cast<uint32_t>(storedValue));
    switch (unit) {
    case TSizeUnit::Megabytes:
        return value * 1024 * 1024;
    case TSizeUnit::Kilobytes:
        return value * 1024;
    case TSizeUnit::Bytes:
        return value;
    case TSizeUnit::Unknown:
        break;
    }
    return 0;
}
