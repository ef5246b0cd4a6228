// Results files as a whole: the compound file (libgsf), the record streams
// "mainlist_unicode" and "mainlist", and the icon stream.
#include "FuzzInput.h"
#include "store/ResultsFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = WriteFuzzInputFile(data, size);
    TItemList list;
    TIconList icons;
    ReadExpectingErrors([&] { LoadResultsFromFile(path, list, icons); });
    return 0;
}
