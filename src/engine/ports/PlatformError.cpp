#include "engine/ports/PlatformError.h"

#include "model/Error.h"

PlatformError PlatformError::fromErrno(int errnoValue)
{
    return PlatformError{errnoValue, ErrnoText(errnoValue)};
}
