#include "documents/DocumentText.h"

#include "documents/PdfText.h"
#include "documents/PlainText.h"
#include "documents/RtfText.h"
#include "documents/XmlText.h"
#include "documents/ZipPackage.h"

#include <QRegularExpression>
#include <algorithm>

namespace {

const QByteArrayView kZipMagic("PK\x03\x04", 4);
const QByteArrayView kCompoundFileMagic("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
const QByteArrayView kRtfMagic("{\\rtf");
const QByteArrayView kPdfMagic("%PDF-");
// PDF readers accept the header anywhere in the first kilobyte.
constexpr qsizetype kPdfHeaderWindow = 1024;

bool IsPdf(QByteArrayView head)
{
    return head.first(std::min(head.size(), kPdfHeaderWindow)).indexOf(kPdfMagic) >= 0;
}

// The parts matching pattern, ordered by the number in their names (slide2 before slide10).
QStringList NumberedParts(const QStringList& names, const QString& pattern)
{
    const QRegularExpression expression(QRegularExpression::anchoredPattern(pattern));
    QList<std::pair<int, QString>> found;
    for (const QString& name : names) {
        const QRegularExpressionMatch match = expression.match(name);
        if (match.hasMatch())
            found.append({match.captured(1).toInt(), name});
    }
    std::sort(found.begin(), found.end());
    QStringList parts;
    for (const auto& [number, name] : found)
        parts.append(name);
    return parts;
}

struct TPackageLayout {
    TDocumentFormat Format = TDocumentFormat::None;
    QStringList Parts;
    const TXmlTextRules* Rules = nullptr;
    bool Encrypted = false;
};

TDocumentFormat OpenDocumentFormat(const QByteArray& mimetype)
{
    static const QByteArray kPrefix("application/vnd.oasis.opendocument.");
    if (!mimetype.startsWith(kPrefix))
        return TDocumentFormat::None;
    const QByteArray kind = mimetype.mid(kPrefix.size()).trimmed();
    if (kind == "text" || kind == "text-template")
        return TDocumentFormat::Odt;
    if (kind == "spreadsheet" || kind == "spreadsheet-template")
        return TDocumentFormat::Ods;
    if (kind == "presentation" || kind == "presentation-template")
        return TDocumentFormat::Odp;
    return TDocumentFormat::OpenDocument;
}

TPackageLayout LayoutOf(TZipPackage& package)
{
    const QStringList& names = package.names();
    TPackageLayout layout;
    if (package.contains(QStringLiteral("word/document.xml"))) {
        layout.Format = TDocumentFormat::Docx;
        layout.Parts = QStringList{QStringLiteral("word/document.xml")} +
                       NumberedParts(names, QStringLiteral("word/header(\\d*)\\.xml")) +
                       NumberedParts(names, QStringLiteral("word/footer(\\d*)\\.xml")) +
                       NumberedParts(names, QStringLiteral("word/(?:footnotes|endnotes|comments)()\\.xml"));
        layout.Rules = &OfficeOpenXmlRules();
    } else if (package.contains(QStringLiteral("xl/workbook.xml"))) {
        layout.Format = TDocumentFormat::Xlsx;
        layout.Parts = NumberedParts(names, QStringLiteral("xl/sharedStrings()\\.xml")) +
                       NumberedParts(names, QStringLiteral("xl/worksheets/sheet(\\d+)\\.xml"));
        layout.Rules = &OfficeOpenXmlRules();
    } else if (package.contains(QStringLiteral("ppt/presentation.xml"))) {
        layout.Format = TDocumentFormat::Pptx;
        layout.Parts = NumberedParts(names, QStringLiteral("ppt/slides/slide(\\d+)\\.xml")) +
                       NumberedParts(names, QStringLiteral("ppt/notesSlides/notesSlide(\\d+)\\.xml"));
        layout.Rules = &OfficeOpenXmlRules();
    } else if (package.contains(QStringLiteral("content.xml")) &&
               package.contains(QStringLiteral("mimetype"))) {
        layout.Format = OpenDocumentFormat(package.readHead(QStringLiteral("mimetype"), 256));
        layout.Parts = NumberedParts(names, QStringLiteral("(?:content|styles)()\\.xml"));
        // content.xml before styles.xml: the body before the page styles' headers.
        std::sort(layout.Parts.begin(), layout.Parts.end());
        layout.Rules = &OpenDocumentRules();
        const QByteArray manifest = package.readHead(QStringLiteral("META-INF/manifest.xml"), 1 << 20);
        layout.Encrypted = manifest.contains("encryption-data");
    }
    return layout;
}

TDocumentText ExtractPackageText(QByteArrayView bytes, TExtractionBudget& budget)
{
    TDocumentText result{.Format = TDocumentFormat::Zip, .Text = {}, .Error = {}};
    TZipPackage package(bytes, budget);
    if (!package.error().isEmpty()) {
        result.Error = package.error();
        return result;
    }
    const TPackageLayout layout = LayoutOf(package);
    result.Format = layout.Format;
    // Reading the layout may have used up the budget (a mimetype it could not read).
    if (QString reason = budget.interruption(); !reason.isEmpty()) {
        if (result.Format == TDocumentFormat::None)
            result.Format = TDocumentFormat::Zip;
        result.Error = std::move(reason);
        return result;
    }
    if (layout.Format == TDocumentFormat::None)
        return result;
    // Exact text: the reason that ends the log line about an unreadable document; the
    // same words come from the PDF and zip readers, and the document tests compare them.
    if (layout.Encrypted) {
        result.Error = QStringLiteral("the document is encrypted");
        return result;
    }
    for (const QString& part : layout.Parts) {
        if (!AppendXmlPartText(package, part, *layout.Rules, budget, result.Text, result.Error))
            return result;
        result.Text += u'\n';
    }
    return result;
}

} // namespace

// Exact text: the format named in the "Cannot search the text of NAME (FORMAT)"
// log line; users filter the log by it and the document tests compare it.
QString DocumentFormatName(TDocumentFormat format)
{
    switch (format) {
    case TDocumentFormat::None:
        break;
    case TDocumentFormat::Zip:
        return QStringLiteral("zip");
    case TDocumentFormat::Docx:
        return QStringLiteral("docx");
    case TDocumentFormat::Xlsx:
        return QStringLiteral("xlsx");
    case TDocumentFormat::Pptx:
        return QStringLiteral("pptx");
    case TDocumentFormat::Odt:
        return QStringLiteral("odt");
    case TDocumentFormat::Ods:
        return QStringLiteral("ods");
    case TDocumentFormat::Odp:
        return QStringLiteral("odp");
    case TDocumentFormat::OpenDocument:
        return QStringLiteral("OpenDocument");
    case TDocumentFormat::Pdf:
        return QStringLiteral("PDF");
    case TDocumentFormat::Rtf:
        return QStringLiteral("RTF");
    case TDocumentFormat::Text:
        return QStringLiteral("plain text");
    case TDocumentFormat::EncryptedOffice:
        return QStringLiteral("encrypted Office");
    case TDocumentFormat::CompoundFile:
        return QStringLiteral("compound file");
    }
    return QStringLiteral("unknown");
}

TDocumentFormat SniffDocumentFormat(QByteArrayView head)
{
    if (head.startsWith(kZipMagic))
        return TDocumentFormat::Zip;
    if (head.startsWith(kCompoundFileMagic))
        return TDocumentFormat::CompoundFile;
    if (head.startsWith(kRtfMagic))
        return TDocumentFormat::Rtf;
    if (IsPdf(head))
        return TDocumentFormat::Pdf;
    if (SniffPlainText(head) != TPlainTextEncoding::None)
        return TDocumentFormat::Text;
    return TDocumentFormat::None;
}

TDocumentText ExtractDocumentText(QByteArrayView bytes, TExtractionBudget& budget)
{
    TDocumentText result;
    if (bytes.startsWith(kZipMagic))
        return ExtractPackageText(bytes, budget);
    if (bytes.startsWith(kCompoundFileMagic)) {
        // Office keeps a password-protected document in a compound file with an
        // "EncryptedPackage" stream; other compound files (.doc, .xls) are not read.
        static const QByteArray kEncryptedPackage = QByteArray::fromRawData(
            reinterpret_cast<const char*>(u"EncryptedPackage"), 16 * sizeof(char16_t));
        if (bytes.indexOf(kEncryptedPackage) >= 0) {
            result.Format = TDocumentFormat::EncryptedOffice;
            result.Error = QStringLiteral("the document is encrypted");
        }
        return result;
    }
    if (bytes.startsWith(kRtfMagic)) {
        result.Format = TDocumentFormat::Rtf;
        ExtractRtfText(bytes, budget, result.Text, result.Error);
        return result;
    }
    const QByteArrayView head = bytes.first(std::min(bytes.size(), kDocumentHeadSize));
    if (IsPdf(head)) {
        result.Format = TDocumentFormat::Pdf;
        ExtractPdfText(bytes, budget, result.Text, result.Error);
        return result;
    }
    if (const TPlainTextEncoding encoding = SniffPlainText(head); encoding != TPlainTextEncoding::None) {
        result.Format = TDocumentFormat::Text;
        if (bytes.size() / 2 > budget.MaxTextChars)
            result.Error = QStringLiteral("its text is longer than %1 characters").arg(budget.MaxTextChars);
        else
            result.Text = DecodePlainText(bytes, encoding);
    }
    return result;
}
