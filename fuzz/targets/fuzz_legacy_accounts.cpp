// The legacy account file of fixed 192-byte records.
#include "FuzzInput.h"
#include "accounts/AccountList.h"
#include "accounts/LegacyAccountFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = WriteFuzzInputFile(data, size);
    TAccountList accounts;
    ReadExpectingErrors([&] { (void)ImportLegacyAccountFile(path, accounts); });
    return 0;
}
