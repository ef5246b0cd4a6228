#include "documents/PdfText.h"

#include <limits>
#include <memory>
#include <mutex>
#include <poppler-document.h>
#include <poppler-global.h>
#include <poppler-page.h>

namespace {

void IgnorePopplerMessage(const std::string&, void*) {}

} // namespace

bool ExtractPdfText(QByteArrayView bytes, TExtractionBudget& budget, QString& text, QString& error)
{
    static std::once_flag quiet;
    std::call_once(quiet, [] { poppler::set_debug_error_function(IgnorePopplerMessage, nullptr); });

    if (bytes.size() > std::numeric_limits<int>::max()) {
        error = QStringLiteral("the PDF is too large");
        return false;
    }
    const std::unique_ptr<poppler::document> document(
        poppler::document::load_from_raw_data(bytes.data(), static_cast<int>(bytes.size())));
    if (!document) {
        error = QStringLiteral("damaged PDF");
        return false;
    }
    if (document->is_locked()) {
        // Exact text: the same reason as DocumentText's for encrypted documents.
        error = QStringLiteral("the document is encrypted");
        return false;
    }
    const int pages = document->pages();
    for (int index = 0; index < pages; ++index) {
        if (const QString reason = budget.interruption(); !reason.isEmpty()) {
            error = reason;
            return false;
        }
        const std::unique_ptr<poppler::page> page(document->create_page(index));
        if (!page)
            continue;
        const poppler::byte_array utf8 = page->text().to_utf8();
        text += QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
        text += u'\n';
        if (text.size() > budget.MaxTextChars) {
            error = QStringLiteral("its text is longer than %1 characters").arg(budget.MaxTextChars);
            return false;
        }
    }
    return true;
}
