// The icon stream of results files and the bitmaps inside it, without the
// compound file around them.
#include "FuzzInput.h"
#include "store/ImageListStream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ReadExpectingErrors([&] { (void)ReadImageListStream(reinterpret_cast<const char*>(data), size); });
    return 0;
}
