#include "engine/DocumentContentTest.h"
#include "support/GuiTestApplication.h"
#include "support/MemoryByteSource.h"

#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>
#include <QStringList>
#include <QTextDocument>
#include <functional>
#include <gtest/gtest.h>

// PDFs as Qt's PDF writer makes them (text as embedded font subsets with a
// ToUnicode map, content streams compressed), not hand-written ones: the document
// test must find a term in body text, in a table and in a header line, and must not
// find one that is absent.
namespace {

// A one-page A4 PDF; paint draws on it in points (72 per inch).
QByteArray PdfOf(const std::function<void(QPainter&, const QRectF& page)>& paint)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(72);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setCreator(QStringLiteral("Kestrova tests"));
        QPainter painter(&writer);
        paint(painter, QRectF(0, 0, writer.width(), writer.height()));
    }
    return buffer.data();
}

QByteArray BodyTextPdf(const QString& paragraph)
{
    return PdfOf([&](QPainter& painter, const QRectF& page) {
        painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 11));
        painter.drawText(page.adjusted(50, 80, -50, -80), Qt::TextWordWrap, paragraph);
    });
}

// A table laid out by Qt's rich text engine and printed to the writer.
QByteArray TablePdf()
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setPageSize(QPageSize(QPageSize::A4));
    QTextDocument document;
    document.setHtml(QStringLiteral("<h2>Inventory</h2><table border=\"1\" cellpadding=\"4\">"
                                    "<tr><th>Item</th><th>Code</th><th>Count</th></tr>"
                                    "<tr><td>lamp</td><td>qtcellterm</td><td>12</td></tr>"
                                    "<tr><td>desk</td><td>A-7</td><td>3</td></tr></table>"));
    document.print(&writer);
    buffer.close();
    return buffer.data();
}

// A header line above a rule, as a report page has, and body text below it.
QByteArray HeaderPdf()
{
    return PdfOf([](QPainter& painter, const QRectF& page) {
        painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 8));
        painter.drawText(QRectF(50, 30, page.width() - 100, 14), Qt::AlignRight,
                         QStringLiteral("Quarterly report - qtheaderterm - page 1"));
        painter.drawLine(QPointF(50, 48), QPointF(page.width() - 50, 48));
        painter.setFont(QFont(QStringLiteral("DejaVu Serif"), 11));
        painter.drawText(page.adjusted(50, 80, -50, -80), Qt::TextWordWrap,
                         QStringLiteral("Sales went up in every region."));
    });
}

class QtPdfDocumentTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureGuiApplication(); }

    TDocumentVerdict Test(const QByteArray& pdf, const QString& searchText)
    {
        config.SearchText = searchText;
        MemoryByteSource source(pdf);
        return TestDocumentContent(source, QStringLiteral("\\\\HOST\\share\\qt.pdf"), config, {}, log);
    }

    TThreadConfig config = [] {
        TThreadConfig c;
        c.SearchInsideDocuments = true;
        c.EnableTextSearch = true;
        return c;
    }();
    QStringList lines;
    TDocumentLog log{[this](const QString& line) { lines.append(line); }};
};

TEST_F(QtPdfDocumentTest, FindsATermInBodyText)
{
    const QByteArray pdf =
        BodyTextPdf(QStringLiteral("The delivery of the qtbodyterm parts is due next week; "
                                   "the Straße entrance is closed."));
    ASSERT_TRUE(pdf.startsWith("%PDF-"));
    // The text is stored as glyphs: a byte search could not see the term.
    ASSERT_FALSE(pdf.contains("qtbodyterm"));

    const TDocumentVerdict verdict = Test(pdf, QStringLiteral("qtbodyterm"));
    ASSERT_EQ(verdict.Outcome, TDocumentOutcome::Matched) << verdict.Reason.toStdString();
    EXPECT_EQ(verdict.Format, TDocumentFormat::Pdf);
    EXPECT_EQ(verdict.Match.Term, QStringLiteral("qtbodyterm"));
    EXPECT_TRUE(verdict.Match.Excerpt.contains(u"delivery of the qtbodyterm parts"))
        << verdict.Match.Excerpt.toStdString();
    // Glyphs outside ASCII map back to their characters too.
    EXPECT_EQ(Test(pdf, QStringLiteral("Straße")).Outcome, TDocumentOutcome::Matched);
    EXPECT_TRUE(lines.isEmpty());
}

TEST_F(QtPdfDocumentTest, FindsATermInATableCell)
{
    const QByteArray pdf = TablePdf();
    ASSERT_FALSE(pdf.contains("qtcellterm"));
    const TDocumentVerdict verdict = Test(pdf, QStringLiteral("qtcellterm"));
    ASSERT_EQ(verdict.Outcome, TDocumentOutcome::Matched) << verdict.Reason.toStdString();
    EXPECT_EQ(verdict.Match.Term, QStringLiteral("qtcellterm"));
    // The other cells are text as well: every term of the row is found.
    config.Logic = TTextLogic::All;
    EXPECT_EQ(Test(pdf, QStringLiteral("lamp qtcellterm Inventory")).Outcome, TDocumentOutcome::Matched);
}

TEST_F(QtPdfDocumentTest, FindsATermInAHeaderLine)
{
    const TDocumentVerdict verdict = Test(HeaderPdf(), QStringLiteral("qtheaderterm"));
    ASSERT_EQ(verdict.Outcome, TDocumentOutcome::Matched) << verdict.Reason.toStdString();
    EXPECT_TRUE(verdict.Match.Excerpt.contains(u"Quarterly report")) << verdict.Match.Excerpt.toStdString();
}

TEST_F(QtPdfDocumentTest, AnAbsentTermIsNotFoundAndNotLogged)
{
    const QByteArray pdf = BodyTextPdf(QStringLiteral("Nothing of interest on this page."));
    const TDocumentVerdict verdict = Test(pdf, QStringLiteral("qtbodyterm"));
    EXPECT_EQ(verdict.Outcome, TDocumentOutcome::NotMatched);
    EXPECT_EQ(verdict.Format, TDocumentFormat::Pdf);
    EXPECT_TRUE(lines.isEmpty());
    // The same page does hold its own words.
    EXPECT_EQ(Test(pdf, QStringLiteral("interest")).Outcome, TDocumentOutcome::Matched);
}

} // namespace
