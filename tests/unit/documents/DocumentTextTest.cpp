#include "documents/DocumentText.h"

#include "documents/PlainText.h"
#include "support/DocumentSamples.h"
#include "support/QStringPrinter.h"

#include <QElapsedTimer>
#include <functional>
#include <gtest/gtest.h>

// The text extraction of every format from documents the tests build: the terms in
// the body, a table cell, a header and a word split in two runs all come out, and
// nothing that is no text (field codes, font tables) does; damaged, encrypted and
// oversized documents end with a reason.
namespace {

using namespace DocumentSamples;

TExtractionBudget Budget(std::stop_token stop = {})
{
    return TExtractionBudget(std::move(stop), std::chrono::seconds(10));
}

TDocumentText Extract(const QByteArray& bytes)
{
    TExtractionBudget budget = Budget();
    return ExtractDocumentText(bytes, budget);
}

struct FormatCase {
    const char* name;
    std::function<QByteArray(const Terms&)> build;
    TDocumentFormat format;
};

class FormatTextTest : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatTextTest, BodyCellHeaderAndSplitWordAreFoundAndAnAbsentTermIsNot)
{
    const FormatCase& format = GetParam();
    const TDocumentText document = Extract(format.build(Terms{}));
    ASSERT_EQ(document.Error, QString());
    EXPECT_EQ(document.Format, format.format);
    EXPECT_TRUE(document.Text.contains(u"bodyterm")) << document.Text.toStdString();
    EXPECT_TRUE(document.Text.contains(u"cellterm")) << document.Text.toStdString();
    EXPECT_TRUE(document.Text.contains(u"headerterm")) << document.Text.toStdString();
    EXPECT_TRUE(document.Text.contains(u"password")) << document.Text.toStdString();
    EXPECT_FALSE(document.Text.contains(u"absentterm"));
}

TEST_P(FormatTextTest, OtherTermsGiveOtherTextWithNonLatinLetters)
{
    const FormatCase& format = GetParam();
    Terms terms;
    terms.Body = QStringLiteral("\u00dcbersicht");
    terms.Cell = QStringLiteral("Zelle");
    const TDocumentText document = Extract(format.build(terms));
    EXPECT_FALSE(document.Text.contains(u"bodyterm"));
    EXPECT_FALSE(document.Text.contains(u"cellterm"));
    EXPECT_TRUE(document.Text.contains(u"Zelle")) << document.Text.toStdString();
    // PDF and RTF samples write their text as Windows-1252 and plain text in Unicode;
    // every format must give the letter back as itself.
    EXPECT_TRUE(document.Text.contains(u"\u00dcbersicht")) << document.Text.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Formats, FormatTextTest,
    ::testing::Values(
        FormatCase{"docx", [](const Terms& sample) { return docx(sample); }, TDocumentFormat::Docx},
        FormatCase{"xlsx", [](const Terms& sample) { return xlsx(sample); }, TDocumentFormat::Xlsx},
        FormatCase{"pptx", [](const Terms& sample) { return pptx(sample); }, TDocumentFormat::Pptx},
        FormatCase{"odt", [](const Terms& sample) { return odt(sample); }, TDocumentFormat::Odt},
        FormatCase{"ods", [](const Terms& sample) { return ods(sample); }, TDocumentFormat::Ods},
        FormatCase{"odp", [](const Terms& sample) { return odp(sample); }, TDocumentFormat::Odp},
        FormatCase{"pdf", [](const Terms& sample) { return pdf(sample); }, TDocumentFormat::Pdf},
        FormatCase{"rtf", [](const Terms& sample) { return rtf(sample); }, TDocumentFormat::Rtf},
        FormatCase{"utf8", [](const Terms& sample) { return plainText(sample, TextEncoding::Utf8, false); },
                   TDocumentFormat::Text},
        FormatCase{"utf8bom", [](const Terms& sample) { return plainText(sample, TextEncoding::Utf8, true); },
                   TDocumentFormat::Text},
        FormatCase{"utf16le",
                   [](const Terms& sample) { return plainText(sample, TextEncoding::Utf16Le, false); },
                   TDocumentFormat::Text},
        FormatCase{"utf16lebom",
                   [](const Terms& sample) { return plainText(sample, TextEncoding::Utf16Le, true); },
                   TDocumentFormat::Text},
        FormatCase{"utf16be",
                   [](const Terms& sample) { return plainText(sample, TextEncoding::Utf16Be, false); },
                   TDocumentFormat::Text},
        FormatCase{"utf16bebom",
                   [](const Terms& sample) { return plainText(sample, TextEncoding::Utf16Be, true); },
                   TDocumentFormat::Text}),
    [](const ::testing::TestParamInfo<FormatCase>& param) { return std::string(param.param.name); });

TEST(DocumentTextTest, WordFieldCodesAreNoText)
{
    const TDocumentText document = Extract(docx());
    EXPECT_FALSE(document.Text.contains(u"fieldcode"));
    // Runs of one paragraph join without a gap; paragraphs and cells are apart.
    EXPECT_TRUE(document.Text.contains(u"Your password")) << document.Text.toStdString();
    EXPECT_FALSE(document.Text.contains(u"celltermother"));
}

TEST(DocumentTextTest, SpreadsheetNumbersAndSharedStringIndexesAreNoText)
{
    const TDocumentText document = Extract(xlsx());
    EXPECT_FALSE(document.Text.contains(u"42"));
    EXPECT_TRUE(document.Text.startsWith(u"The bodyterm is here.")) << document.Text.toStdString();
}

TEST(DocumentTextTest, OpenDocumentSpacesAreExpanded)
{
    EXPECT_TRUE(Extract(odt()).Text.contains(u"password  please"));
}

TEST(DocumentTextTest, RtfSkipsFontTablesAndIgnorableGroupsAndDecodesCharacters)
{
    const TDocumentText document = Extract(rtf());
    EXPECT_FALSE(document.Text.contains(u"fonttermname"));
    EXPECT_FALSE(document.Text.contains(u"generatorterm"));
    EXPECT_TRUE(document.Text.contains(u"Caf\u00e9 costs \u20ac5")) << document.Text.toStdString();
    EXPECT_TRUE(document.Text.contains(u"cellterm\tother")) << document.Text.toStdString();
}

TEST(DocumentTextTest, RtfNestedTooDeepEndsWithAReason)
{
    const QByteArray deep = "{\\rtf1 " + QByteArray(5000, '{') + "x" + QByteArray(5000, '}') + "}";
    const TDocumentText document = Extract(deep);
    EXPECT_EQ(document.Format, TDocumentFormat::Rtf);
    EXPECT_TRUE(document.Error.contains(u"nested")) << document.Error.toStdString();
}

TEST(DocumentTextTest, PdfPagesAreAllRead)
{
    const TDocumentText document = Extract(pdf({}, 3));
    EXPECT_EQ(document.Text.count(u"bodyterm"), 3);
}

TEST(DocumentTextTest, TruncatedDocumentsEndWithAReason)
{
    const QByteArray word = docx();
    const TDocumentText cutWord = Extract(word.first(word.size() / 2));
    EXPECT_EQ(cutWord.Format, TDocumentFormat::Zip);
    EXPECT_TRUE(cutWord.Error.contains(u"zip")) << cutWord.Error.toStdString();

    const QByteArray paper = pdf();
    const TDocumentText cutPdf = Extract(paper.first(200));
    EXPECT_EQ(cutPdf.Format, TDocumentFormat::Pdf);
    // A PDF cut before its page content gives no body text, whether poppler gives up
    // or rebuilds what is left.
    EXPECT_FALSE(cutPdf.Text.contains(u"bodyterm"));
}

TEST(DocumentTextTest, MalformedXmlPartEndsWithAReason)
{
    const QByteArray broken =
        zip({{QStringLiteral("word/document.xml"), "<w:document><w:body><w:p><w:t>bodyterm</w:p>"}});
    const TDocumentText document = Extract(broken);
    EXPECT_EQ(document.Format, TDocumentFormat::Docx);
    EXPECT_TRUE(document.Error.contains(u"not well-formed")) << document.Error.toStdString();
}

TEST(DocumentTextTest, EncryptedDocumentsAreNamedSo)
{
    for (const QByteArray& bytes : {zipEncryptedDocx(), compoundFileEncryptedDocument(), encryptedOdt()}) {
        const TDocumentText document = Extract(bytes);
        EXPECT_EQ(document.Error, QStringLiteral("the document is encrypted"));
        EXPECT_FALSE(document.Text.contains(u"bodyterm"));
    }
    EXPECT_EQ(Extract(compoundFileEncryptedDocument()).Format, TDocumentFormat::EncryptedOffice);
}

TEST(DocumentTextTest, ZipBombEndsAtTheUnpackedBoundQuickly)
{
    const QByteArray bomb = largeDocx(int64_t{24} << 20);
    ASSERT_LT(bomb.size(), 1 << 20); // it really is small packed
    TExtractionBudget budget = Budget();
    budget.MaxUnpackedBytes = int64_t{4} << 20;
    QElapsedTimer timer;
    timer.start();
    const TDocumentText document = ExtractDocumentText(bomb, budget);
    // A hang guard, generous for sanitizer builds on a busy machine: the bound itself
    // shows in the error and the text size below.
    EXPECT_LT(timer.elapsed(), 20000);
    EXPECT_TRUE(document.Error.contains(u"unpacks to more than 4 MB")) << document.Error.toStdString();
    // The text never grew past what the bound let through.
    EXPECT_LT(document.Text.size(), 4 << 20);
}

TEST(DocumentTextTest, TooManyZipEntriesAreRefusedBeforeUnpacking)
{
    TExtractionBudget budget = Budget();
    budget.MaxZipEntries = 50;
    const TDocumentText document = ExtractDocumentText(docxWithEntries(60), budget);
    EXPECT_TRUE(document.Error.contains(u"61 entries, more than 50")) << document.Error.toStdString();
    TExtractionBudget enough = Budget();
    EXPECT_EQ(ExtractDocumentText(docxWithEntries(60), enough).Error, QString());
}

TEST(DocumentTextTest, TextBoundEndsALongDocument)
{
    TExtractionBudget budget = Budget();
    budget.MaxTextChars = 1000;
    const TDocumentText document = ExtractDocumentText(largeDocx(200000), budget);
    EXPECT_TRUE(document.Error.contains(u"longer than 1000 characters")) << document.Error.toStdString();
}

TEST(DocumentTextTest, StopRequestEndsTheExtraction)
{
    std::stop_source stop;
    stop.request_stop();
    TExtractionBudget budget = Budget(stop.get_token());
    EXPECT_EQ(ExtractDocumentText(docx(), budget).Error, QStringLiteral("the search was stopped"));
    TExtractionBudget pdfBudget = Budget(stop.get_token());
    EXPECT_EQ(ExtractDocumentText(pdf(), pdfBudget).Error, QStringLiteral("the search was stopped"));
}

TEST(DocumentTextTest, ExpiredTimeEndsTheExtraction)
{
    TExtractionBudget budget({}, std::chrono::seconds(0));
    EXPECT_TRUE(ExtractDocumentText(odt(), budget).Error.contains(u"took longer than 0 s"));
}

TEST(DocumentTextTest, ZipsThatAreNoDocumentsAndBinaryFilesAreNotRecognised)
{
    EXPECT_EQ(Extract(zip({{QStringLiteral("readme.txt"), "bodyterm"}})).Format, TDocumentFormat::None);
    EXPECT_EQ(Extract(QByteArray("\x7F"
                                 "ELF\x02\x01\x01\x00\x00\x00",
                                 10))
                  .Format,
              TDocumentFormat::None);
    // An old Office document: a compound file without an encrypted package.
    QByteArray oldWord("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    oldWord.resize(2048, '\0');
    EXPECT_EQ(Extract(oldWord).Format, TDocumentFormat::None);
}

TEST(DocumentTextTest, SniffingNeedsOnlyTheFirstBytes)
{
    EXPECT_EQ(SniffDocumentFormat(docx().first(64)), TDocumentFormat::Zip);
    EXPECT_EQ(SniffDocumentFormat(pdf().first(64)), TDocumentFormat::Pdf);
    EXPECT_EQ(SniffDocumentFormat(QByteArray("garbage\n%PDF-1.7\n")), TDocumentFormat::Pdf);
    EXPECT_EQ(SniffDocumentFormat(rtf().first(64)), TDocumentFormat::Rtf);
    EXPECT_EQ(SniffDocumentFormat(compoundFileEncryptedDocument().first(64)), TDocumentFormat::CompoundFile);
    EXPECT_EQ(SniffDocumentFormat(QByteArray("\x01\x02\x00\x00\xFF\x00\x10\x00", 8)), TDocumentFormat::None);
}

TEST(PlainTextTest, EncodingsAreRecognisedWithAndWithoutMark)
{
    EXPECT_EQ(SniffPlainText(plainText({}, TextEncoding::Utf16Le, false)), TPlainTextEncoding::Utf16Le);
    EXPECT_EQ(SniffPlainText(plainText({}, TextEncoding::Utf16Be, false)), TPlainTextEncoding::Utf16Be);
    EXPECT_EQ(SniffPlainText(plainText({}, TextEncoding::Utf16Be, true)), TPlainTextEncoding::Utf16Be);
    EXPECT_EQ(SniffPlainText("gr\xC3\xBC\xC3\x9F"), TPlainTextEncoding::Utf8);
    // A UTF-8 sequence cut by the end of the head still counts as UTF-8.
    EXPECT_EQ(SniffPlainText("abc\xE2\x82"), TPlainTextEncoding::Utf8);
    // Windows-1252 text is not UTF-8: the byte search handles it.
    EXPECT_EQ(SniffPlainText("caf\xE9 au lait"), TPlainTextEncoding::None);
    EXPECT_EQ(DecodePlainText("\xEF\xBB\xBFhi", TPlainTextEncoding::Utf8), QStringLiteral("hi"));
}

} // namespace
