#include "support/DocumentSamples.h"

#include "model/AnsiCodec.h"

#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <stdexcept>
#include <zip.h>

namespace DocumentSamples {

namespace {

const QByteArray kXmlDeclaration = R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)";
const QByteArray kWordNs = R"(xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main")";
const QByteArray kDrawingNs = R"(xmlns:a="http://schemas.openxmlformats.org/drawingml/2006/main")";
const QByteArray kSlideNs = R"(xmlns:p="http://schemas.openxmlformats.org/presentationml/2006/main")";
const QByteArray kSheetNs = R"(xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main")";
const QByteArray kOdfNs = R"(xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" )"
                          R"(xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" )"
                          R"(xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" )"
                          R"(xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0" )"
                          R"(xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0" )"
                          R"(xmlns:presentation="urn:oasis:names:tc:opendocument:xmlns:presentation:1.0")";

QByteArray U(const QString& text)
{
    return text.toUtf8();
}

QByteArray ContentTypes()
{
    return kXmlDeclaration + R"(<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
                             R"(<Default Extension="xml" ContentType="application/xml"/></Types>)";
}

QByteArray Manifest(bool encrypted)
{
    QByteArray entry =
        R"(<manifest:file-entry manifest:full-path="content.xml" manifest:media-type="text/xml")";
    entry += encrypted ? QByteArray(R"(><manifest:encryption-data manifest:checksum-type="SHA1/1K" )"
                                    R"(manifest:checksum="AAAA"/></manifest:file-entry>)")
                       : QByteArray("/>");
    return kXmlDeclaration +
           R"(<manifest:manifest xmlns:manifest="urn:oasis:names:tc:opendocument:xmlns:manifest:1.0">)" +
           entry + "</manifest:manifest>";
}

QByteArray OdfStyles(const Terms& t)
{
    return kXmlDeclaration + "<office:document-styles " + kOdfNs +
           "><office:master-styles><style:master-page style:name=\"Standard\"><style:header><text:p>" +
           U(t.Header) +
           "</text:p></style:header></style:master-page></office:master-styles>"
           "</office:document-styles>";
}

QByteArray OdfPackage(const QByteArray& mimetype, const QByteArray& body, const QByteArray& styles,
                      bool encrypted = false)
{
    const QByteArray content = kXmlDeclaration + "<office:document-content " + kOdfNs + "><office:body>" +
                               body + "</office:body></office:document-content>";
    return zip({{QStringLiteral("mimetype"), mimetype},
                {QStringLiteral("content.xml"), content},
                {QStringLiteral("styles.xml"), styles},
                {QStringLiteral("META-INF/manifest.xml"), Manifest(encrypted)}});
}

QByteArray SplitOdfParagraph(const Terms& t)
{
    return "<text:p>Your <text:span text:style-name=\"T1\">" + U(t.SplitFirst) + "</text:span>" +
           U(t.SplitSecond) + "<text:s text:c=\"2\"/>please</text:p>";
}

QByteArray OdtBody(const Terms& t)
{
    return "<office:text><text:p>The " + U(t.Body) +
           " is here.</text:p><table:table><table:table-row><table:table-cell><text:p>" + U(t.Cell) +
           "</text:p></table:table-cell><table:table-cell><text:p>other</text:p></table:table-cell>"
           "</table:table-row></table:table>" +
           SplitOdfParagraph(t) + "</office:text>";
}

QByteArray DocumentXml(const QByteArray& paragraphs)
{
    return kXmlDeclaration + "<w:document " + kWordNs + "><w:body>" + paragraphs + "</w:body></w:document>";
}

QByteArray WordParagraph(const QByteArray& text)
{
    return "<w:p><w:r><w:t xml:space=\"preserve\">" + text + "</w:t></w:r></w:p>";
}

QByteArray DocxPackage(const QByteArray& document, const Terms& t, const QByteArray& password = {})
{
    const QByteArray header =
        kXmlDeclaration + "<w:hdr " + kWordNs + ">" + WordParagraph(U(t.Header)) + "</w:hdr>";
    return zip({{QStringLiteral("[Content_Types].xml"), ContentTypes()},
                {QStringLiteral("word/document.xml"), document},
                {QStringLiteral("word/header1.xml"), header}},
               password);
}

// Text for an RTF file: ASCII as it is, other characters as \uN with a '?' fallback.
QByteArray R(const QString& text)
{
    QByteArray out;
    for (const QChar c : text) {
        if (c.unicode() < 0x80)
            out += static_cast<char>(c.unicode());
        else
            out += "\\u" + QByteArray::number(static_cast<int16_t>(c.unicode())) + "?";
    }
    return out;
}

// Raw zlib data as a PDF FlateDecode stream holds it (qCompress puts the length first).
QByteArray Deflated(const QByteArray& data)
{
    return qCompress(data).mid(4);
}

} // namespace

QByteArray zip(const ZipEntries& entries, const QByteArray& password)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sample.zip"));
    int error = 0;
    zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive)
        throw std::runtime_error("zip_open failed");
    for (const auto& [name, data] : entries) {
        zip_source_t* source =
            zip_source_buffer(archive, data.constData(), static_cast<zip_uint64_t>(data.size()), 0);
        const zip_int64_t index = zip_file_add(archive, name.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8);
        if (index < 0)
            throw std::runtime_error("zip_file_add failed");
        if (name == u"mimetype")
            zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0);
        if (!password.isEmpty() && zip_file_set_encryption(archive, static_cast<zip_uint64_t>(index),
                                                           ZIP_EM_TRAD_PKWARE, password.constData()) != 0)
            throw std::runtime_error("zip_file_set_encryption failed");
    }
    if (zip_close(archive) != 0)
        throw std::runtime_error("zip_close failed");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read the zip back");
    return file.readAll();
}

QByteArray docx(const Terms& t)
{
    const QByteArray table = "<w:tbl><w:tr><w:tc>" + WordParagraph(U(t.Cell)) + "</w:tc><w:tc>" +
                             WordParagraph("other") + "</w:tc></w:tr></w:tbl>";
    // The split word as Word writes a change of formatting inside it: two runs.
    const QByteArray split =
        "<w:p><w:r><w:t xml:space=\"preserve\">Your </w:t></w:r><w:r><w:rPr><w:b/></w:rPr><w:t>" +
        U(t.SplitFirst) + "</w:t></w:r><w:r><w:t>" + U(t.SplitSecond) +
        "</w:t></w:r><w:r><w:instrText> PAGE fieldcode </w:instrText></w:r></w:p>";
    return DocxPackage(DocumentXml(WordParagraph("The " + U(t.Body) + " is here.") + table + split), t);
}

QByteArray xlsx(const Terms& t)
{
    const QByteArray workbook = kXmlDeclaration + "<workbook " + kSheetNs +
                                "><sheets><sheet name=\"One\" sheetId=\"1\"/></sheets></workbook>";
    const QByteArray shared = kXmlDeclaration + "<sst " + kSheetNs + " count=\"2\"><si><t>The " + U(t.Body) +
                              " is here.</t></si><si><r><t>" + U(t.SplitFirst) +
                              "</t></r><r><rPr><b/></rPr><t>" + U(t.SplitSecond) + "</t></r></si></sst>";
    const QByteArray sheet =
        kXmlDeclaration + "<worksheet " + kSheetNs +
        "><sheetData><row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\" t=\"inlineStr\">"
        "<is><t>" +
        U(t.Cell) +
        "</t></is></c><c r=\"C1\"><v>42</v></c></row></sheetData>"
        "<headerFooter><oddHeader>&amp;C" +
        U(t.Header) + "</oddHeader></headerFooter></worksheet>";
    return zip({{QStringLiteral("[Content_Types].xml"), ContentTypes()},
                {QStringLiteral("xl/workbook.xml"), workbook},
                {QStringLiteral("xl/sharedStrings.xml"), shared},
                {QStringLiteral("xl/worksheets/sheet1.xml"), sheet}});
}

QByteArray pptx(const Terms& t)
{
    const auto shape = [](const QByteArray& placeholder, const QByteArray& runs) {
        return "<p:sp><p:nvSpPr><p:nvPr>" + placeholder + "</p:nvPr></p:nvSpPr><p:txBody><a:p>" + runs +
               "</a:p></p:txBody></p:sp>";
    };
    const auto slide = [](const QByteArray& shapes) {
        return kXmlDeclaration + "<p:sld " + kSlideNs + " " + kDrawingNs + "><p:cSld><p:spTree>" + shapes +
               "</p:spTree></p:cSld></p:sld>";
    };
    const QByteArray table =
        "<p:graphicFrame><a:graphic><a:graphicData><a:tbl><a:tr><a:tc><a:txBody><a:p><a:r><a:t>" + U(t.Cell) +
        "</a:t></a:r></a:p></a:txBody></a:tc></a:tr></a:tbl></a:graphicData>"
        "</a:graphic></p:graphicFrame>";
    const QByteArray first = slide(shape("", "<a:r><a:t>The " + U(t.Body) + " is here.</a:t></a:r>") + table);
    const QByteArray second =
        slide(shape("<p:ph type=\"hdr\"/>", "<a:r><a:t>" + U(t.Header) + "</a:t></a:r>") +
              shape("", "<a:r><a:t>" + U(t.SplitFirst) + "</a:t></a:r><a:r><a:rPr b=\"1\"/><a:t>" +
                            U(t.SplitSecond) + "</a:t></a:r>"));
    return zip(
        {{QStringLiteral("[Content_Types].xml"), ContentTypes()},
         {QStringLiteral("ppt/presentation.xml"), kXmlDeclaration + "<p:presentation " + kSlideNs + "/>"},
         {QStringLiteral("ppt/slides/slide1.xml"), first},
         {QStringLiteral("ppt/slides/slide2.xml"), second}});
}

QByteArray odt(const Terms& t)
{
    return OdfPackage("application/vnd.oasis.opendocument.text", OdtBody(t), OdfStyles(t));
}

QByteArray ods(const Terms& t)
{
    const auto cell = [](const QByteArray& paragraph) {
        return "<table:table-cell office:value-type=\"string\">" + paragraph + "</table:table-cell>";
    };
    const QByteArray body = "<office:spreadsheet><table:table table:name=\"One\"><table:table-row>" +
                            cell("<text:p>The " + U(t.Body) + " is here.</text:p>") +
                            cell("<text:p>" + U(t.Cell) + "</text:p>") + cell(SplitOdfParagraph(t)) +
                            "</table:table-row></table:table></office:spreadsheet>";
    return OdfPackage("application/vnd.oasis.opendocument.spreadsheet", body, OdfStyles(t));
}

QByteArray odp(const Terms& t)
{
    // A presentation's header is a declaration in content.xml, not a page style.
    const QByteArray body =
        "<office:presentation><presentation:header-decl presentation:name=\"hdr1\">" + U(t.Header) +
        "</presentation:header-decl><draw:page draw:name=\"One\"><draw:frame><draw:text-box>"
        "<text:p>The " +
        U(t.Body) + " is here.</text:p>" + SplitOdfParagraph(t) +
        "</draw:text-box></draw:frame><draw:frame><table:table><table:table-row>"
        "<table:table-cell><text:p>" +
        U(t.Cell) +
        "</text:p></table:table-cell></table:table-row></table:table></draw:frame>"
        "</draw:page></office:presentation>";
    const QByteArray styles = kXmlDeclaration + "<office:document-styles " + kOdfNs + "/>";
    return OdfPackage("application/vnd.oasis.opendocument.presentation", body, styles);
}

QByteArray pdf(const Terms& t, int pages)
{
    // Header at the top of the page, body text, a cell drawn as a rectangle with its
    // text, and the split word shown by two strings of one TJ array.
    const QByteArray content = "BT /F1 9 Tf 72 770 Td (" + ToAnsi(t.Header) +
                               ") Tj ET\n"
                               "BT /F1 12 Tf 72 700 Td (The " +
                               ToAnsi(t.Body) +
                               " is here.) Tj ET\n"
                               "0 0 0 RG 70 596 150 22 re S\n"
                               "BT /F1 12 Tf 75 603 Td (" +
                               ToAnsi(t.Cell) +
                               ") Tj ET\n"
                               "BT /F1 12 Tf 72 500 Td [(Your ) (" +
                               ToAnsi(t.SplitFirst) + ") (" + ToAnsi(t.SplitSecond) + ")] TJ ET\n";
    const QByteArray stream = Deflated(content);

    QList<QByteArray> objects;
    QByteArray kids;
    for (int page = 0; page < pages; ++page)
        kids += QByteArray::number(5 + 2 * page) + " 0 R ";
    objects << "<< /Type /Catalog /Pages 2 0 R >>";
    objects << "<< /Type /Pages /Kids [" + kids + "] /Count " + QByteArray::number(pages) + " >>";
    objects << "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>";
    objects << "<< /Length " + QByteArray::number(stream.size()) + " /Filter /FlateDecode >>\nstream\n" +
                   stream + "\nendstream";
    for (int page = 0; page < pages; ++page) {
        objects
            << "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources << /Font << /F1 3 0 R >> >> "
               "/Contents 4 0 R >>";
        objects << "<< >>"; // keeps the page objects at odd numbers
    }
    QByteArray out = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
    QList<qsizetype> offsets;
    for (qsizetype i = 0; i < objects.size(); ++i) {
        offsets << out.size();
        out += QByteArray::number(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const qsizetype xref = out.size();
    out += "xref\n0 " + QByteArray::number(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (qsizetype offset : offsets)
        out += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    out += "trailer\n<< /Size " + QByteArray::number(objects.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
           QByteArray::number(xref) + "\n%%EOF\n";
    return out;
}

QByteArray rtf(const Terms& t)
{
    return "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\froman fonttermname;}}"
           "{\\colortbl;\\red0\\green0\\blue0;}{\\*\\generator generatorterm;}\n"
           "{\\header \\pard " +
           R(t.Header) +
           "\\par}\n"
           "\\pard The " +
           R(t.Body) +
           " is here.\\par\n"
           "\\trowd\\cellx2000\\cellx4000 \\intbl " +
           R(t.Cell) +
           "\\cell other\\cell\\row\n"
           "\\pard Your {\\b " +
           R(t.SplitFirst) + "}" + R(t.SplitSecond) +
           "\\par\n"
           "\\pard Caf\\'e9 costs \\uc1\\u8364?5\\par\n}";
}

QByteArray plainText(const Terms& t, TextEncoding encoding, bool byteOrderMark)
{
    const QString text = QStringLiteral("The %1 is here.\n%2\tother\n%3\nYour %4%5\n")
                             .arg(t.Body, t.Cell, t.Header, t.SplitFirst, t.SplitSecond);
    const QStringConverter::Encoding qtEncoding = encoding == TextEncoding::Utf8 ? QStringConverter::Utf8
                                                  : encoding == TextEncoding::Utf16Le
                                                      ? QStringConverter::Utf16LE
                                                      : QStringConverter::Utf16BE;
    QStringEncoder encoder(qtEncoding, byteOrderMark ? QStringConverter::Flag::WriteBom
                                                     : QStringConverter::Flag::Default);
    return encoder.encode(text);
}

QByteArray largeDocx(qint64 bodyBytes)
{
    const QByteArray paragraph = WordParagraph("filler text that compresses well ");
    QByteArray paragraphs;
    paragraphs.reserve(bodyBytes + paragraph.size());
    while (paragraphs.size() < bodyBytes)
        paragraphs += paragraph;
    return DocxPackage(DocumentXml(paragraphs), Terms{});
}

QByteArray docxWithEntries(int count)
{
    ZipEntries entries{{QStringLiteral("word/document.xml"), DocumentXml(WordParagraph("bodyterm"))}};
    for (int i = 0; i < count; ++i)
        entries.emplace_back(QStringLiteral("word/media/empty%1.bin").arg(i), QByteArray());
    return zip(entries);
}

QByteArray zipEncryptedDocx()
{
    const Terms t;
    return DocxPackage(DocumentXml(WordParagraph(U(t.Body))), t, "secret");
}

QByteArray compoundFileEncryptedDocument()
{
    QByteArray bytes("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    bytes.resize(1024, '\0');
    const QString name = QStringLiteral("EncryptedPackage");
    bytes.append(reinterpret_cast<const char*>(name.utf16()), name.size() * 2);
    bytes.resize(4096, '\0');
    return bytes;
}

QByteArray encryptedOdt()
{
    const Terms t;
    return OdfPackage("application/vnd.oasis.opendocument.text", OdtBody(t), OdfStyles(t), true);
}

} // namespace DocumentSamples
