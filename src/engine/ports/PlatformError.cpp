#include "engine/ports/PlatformError.h"

#include <cstring>

PlatformError PlatformError::fromErrno(int errnoValue)
{
    char buffer[256] = {};
    // GNU strerror_r returns the message, which may or may not be in buffer.
    const char* text = strerror_r(errnoValue, buffer, sizeof buffer);
    return PlatformError{errnoValue, QString::fromLocal8Bit(text)};
}
