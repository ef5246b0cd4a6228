// The document text extraction: any bytes, as a file on a share might hold them,
// go through the format sniffing and the zip, XML, PDF, RTF and plain text readers.
// The budget is small so that a slow input shows as a timeout, not a long run; the
// extraction must neither throw nor crash, and its text must stay within the bound.
#include "FuzzInput.h"
#include "documents/DocumentText.h"

#include <chrono>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = FuzzBytes(data, size);
    TExtractionBudget budget({}, std::chrono::seconds(5));
    budget.MaxUnpackedBytes = int64_t{16} << 20;
    budget.MaxZipEntries = 1000;
    budget.MaxTextChars = int64_t{4} << 20;
    const TDocumentText document = ExtractDocumentText(bytes, budget);
    (void)SniffDocumentFormat(bytes.first(std::min<qsizetype>(bytes.size(), kDocumentHeadSize)));
    // Text may pass the bound by at most one chunk or page before the check sees it.
    if (document.Text.size() > budget.MaxTextChars + (int64_t{64} << 20))
        std::abort();
    if (document.Format == TDocumentFormat::None && !document.Error.isEmpty())
        std::abort(); // a reason always names the format it belongs to
    return 0;
}
