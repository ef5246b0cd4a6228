// Computer-list files, read as computer names and as IP range entries.
#include "FuzzInput.h"
#include "store/ComputerListFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = WriteFuzzInputFile(data, size);
    ReadExpectingErrors([&] { (void)LoadComputerList(path, TScopeListKind::Computers); });
    ReadExpectingErrors([&] { (void)LoadComputerList(path, TScopeListKind::IpRanges); });
    return 0;
}
