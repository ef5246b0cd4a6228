// The account CSV import: the file reader (byte order marks, ANSI) and the field
// splitter. The first byte chooses the separator.
#include "FuzzInput.h"
#include "accounts/AccountImport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const QString separator = QString(QChar(static_cast<char16_t>(data[0])));
    const QString path = WriteFuzzInputFile(data + 1, size - 1);
    ReadExpectingErrors([&] { (void)ReadAccountImportFile(path, separator); });
    return 0;
}
