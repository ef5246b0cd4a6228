// The published version file's body, as the update check reads it.
#include "FuzzInput.h"
#include "update/VersionText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ReadExpectingErrors([&] {
        (void)ParseVersionFile(FuzzBytes(data, size), QStringLiteral("no data"),
                               QStringLiteral("unrecognized"));
    });
    return 0;
}
