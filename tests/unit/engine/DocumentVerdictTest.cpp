#include "engine/DocumentContentTest.h"
#include "model/Error.h"
#include "support/DocumentSamples.h"
#include "support/MemoryByteSource.h"
#include "support/QStringPrinter.h"

#include <QElapsedTimer>
#include <QStringList>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

// The document test the content test runs first with "Search inside documents":
// terms, logic and case on the extracted text, the excerpt, the fall-back outcomes
// and their log lines, the size limit and the stop request.
namespace {

using namespace DocumentSamples;

class DocumentVerdictTest : public ::testing::Test {
protected:
    TDocumentVerdict Test(const QByteArray& bytes, const QString& path = QStringLiteral("\\\\HOST\\share\\f"))
    {
        MemoryByteSource source(bytes);
        return TestDocumentContent(source, path, config, stop.get_token(), log);
    }

    TThreadConfig config = [] {
        TThreadConfig c;
        c.SearchInsideDocuments = true;
        c.EnableTextSearch = true;
        c.SearchText = QStringLiteral("password");
        return c;
    }();
    std::stop_source stop;
    QStringList lines;
    TDocumentLog log{[this](const QString& line) { lines.append(line); }};
};

TEST_F(DocumentVerdictTest, SplitWordInADocxMatchesWithItsExcerpt)
{
    const TDocumentVerdict verdict = Test(docx());
    ASSERT_EQ(verdict.Outcome, TDocumentOutcome::Matched);
    EXPECT_EQ(verdict.Format, TDocumentFormat::Docx);
    EXPECT_EQ(verdict.Match.Term, QStringLiteral("password"));
    EXPECT_TRUE(verdict.Match.Excerpt.contains(u"Your password")) << verdict.Match.Excerpt.toStdString();
    EXPECT_TRUE(lines.isEmpty());
}

TEST_F(DocumentVerdictTest, TermsAreCaseSensitiveLikeTheByteSearch)
{
    config.SearchText = QStringLiteral("PASSWORD");
    EXPECT_EQ(Test(odt()).Outcome, TDocumentOutcome::NotMatched);
}

TEST_F(DocumentVerdictTest, LogicAllAnyNoneOnTheText)
{
    config.SearchText = QStringLiteral("cellterm headerterm");
    config.Logic = TTextLogic::All;
    EXPECT_EQ(Test(pptx()).Outcome, TDocumentOutcome::Matched);
    config.SearchText = QStringLiteral("cellterm absentterm");
    EXPECT_EQ(Test(pptx()).Outcome, TDocumentOutcome::NotMatched);
    config.Logic = TTextLogic::Any;
    const TDocumentVerdict any = Test(pptx());
    ASSERT_EQ(any.Outcome, TDocumentOutcome::Matched);
    EXPECT_EQ(any.Match.Term, QStringLiteral("cellterm"));
    config.Logic = TTextLogic::None;
    EXPECT_EQ(Test(pptx()).Outcome, TDocumentOutcome::NotMatched);
    config.SearchText = QStringLiteral("absentterm,otherabsent");
    const TDocumentVerdict none = Test(pptx());
    EXPECT_EQ(none.Outcome, TDocumentOutcome::Matched);
    EXPECT_EQ(none.Match, TContentMatch{});
}

TEST_F(DocumentVerdictTest, UnknownLogicWithSeveralTermsRaisesLikeTheByteSearch)
{
    config.Logic = TTextLogic::Unknown;
    config.SearchText = QStringLiteral("a,b");
    EXPECT_THROW(Test(rtf()), EKestrovaError);
}

TEST_F(DocumentVerdictTest, Utf16TextIsFoundWhateverTheEncodingSetting)
{
    config.Encoding = TTextEncoding::Ansi;
    config.SearchText = QStringLiteral("headerterm");
    EXPECT_EQ(Test(plainText({}, TextEncoding::Utf16Le, false)).Outcome, TDocumentOutcome::Matched);
}

TEST_F(DocumentVerdictTest, BinaryFilesAndEmptyFilesGoToTheByteSearchSilently)
{
    EXPECT_EQ(Test(QByteArray("\x00\x01\x02\x03\xFF\xFE\x00\x00", 8)).Outcome, TDocumentOutcome::NotDocument);
    EXPECT_EQ(Test(QByteArray()).Outcome, TDocumentOutcome::NotDocument);
    EXPECT_EQ(Test(zip({{QStringLiteral("a.txt"), "password"}})).Outcome, TDocumentOutcome::NotDocument);
    EXPECT_TRUE(lines.isEmpty());
}

TEST_F(DocumentVerdictTest, FailuresAreLoggedOncePerTypeAndHost)
{
    const QByteArray word = docx();
    const QByteArray cut = word.first(word.size() - 30);
    EXPECT_EQ(Test(cut, QStringLiteral("\\\\HOST\\share\\a.docx")).Outcome, TDocumentOutcome::Failed);
    EXPECT_EQ(Test(cut, QStringLiteral("\\\\HOST\\share\\b.docx")).Outcome, TDocumentOutcome::Failed);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].startsWith(
        u"Cannot search the text of \\\\HOST\\share\\a.docx (zip): damaged zip container"))
        << lines[0].toStdString();
    // Another type on the same host, the same type on another host: one line each.
    EXPECT_EQ(Test(zipEncryptedDocx(), QStringLiteral("\\\\HOST\\share\\c.docx")).Outcome,
              TDocumentOutcome::Failed);
    EXPECT_EQ(Test(cut, QStringLiteral("\\\\OTHER\\share\\a.docx")).Outcome, TDocumentOutcome::Failed);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[1].contains(u"(docx): the document is encrypted.")) << lines[1].toStdString();
    EXPECT_TRUE(lines[2].contains(u"\\\\OTHER\\share\\a.docx"));
}

TEST_F(DocumentVerdictTest, DocumentsOverTheSizeLimitAreNotReadWhole)
{
    config.DocumentSizeLimit = 1000;
    const QByteArray paper = pdf({}, 20);
    ASSERT_GT(paper.size(), 1000);
    MemoryByteSource source(paper);
    const TDocumentVerdict verdict =
        TestDocumentContent(source, QStringLiteral("\\\\H\\s\\p.pdf"), config, {}, log);
    EXPECT_EQ(verdict.Outcome, TDocumentOutcome::Failed);
    EXPECT_EQ(verdict.Reason, QStringLiteral("it is larger than 0 MB"));
    EXPECT_LE(source.bytesRead(), kDocumentHeadSize);
}

TEST_F(DocumentVerdictTest, ReadErrorsFallBackWithAReason)
{
    MemoryByteSource source(pdf({}, 50));
    source.setMaxReadLength(kDocumentHeadSize);
    source.setFailingRead(3);
    const TDocumentVerdict verdict =
        TestDocumentContent(source, QStringLiteral("\\\\H\\s\\p.pdf"), config, {}, log);
    EXPECT_EQ(verdict.Outcome, TDocumentOutcome::Failed);
    EXPECT_EQ(verdict.Reason, QStringLiteral("it could not be read to its end"));
}

TEST_F(DocumentVerdictTest, StopDuringASlowReadEndsWithinASecondAndLogsNothing)
{
    MemoryByteSource source(QByteArray(64 << 20, 'a'));
    source.setMaxReadLength(64 * 1024);
    source.setBeforeRead([](int) { std::this_thread::sleep_for(std::chrono::milliseconds(20)); });
    std::jthread stopper([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        stop.request_stop();
    });
    QElapsedTimer timer;
    timer.start();
    const TDocumentVerdict verdict =
        TestDocumentContent(source, QStringLiteral("\\\\H\\s\\big.txt"), config, stop.get_token(), log);
    EXPECT_LT(timer.elapsed(), 3000); // 1 s wanted; reading it all takes 20 s
    EXPECT_EQ(verdict.Outcome, TDocumentOutcome::NotMatched);
    EXPECT_TRUE(lines.isEmpty());
}

TEST_F(DocumentVerdictTest, TimeLimitEndsASlowReadAndFallsBack)
{
    config.DocumentTimeLimit = 1;
    MemoryByteSource source(QByteArray(64 << 20, 'a'));
    source.setMaxReadLength(64 * 1024);
    source.setBeforeRead([](int) { std::this_thread::sleep_for(std::chrono::milliseconds(20)); });
    QElapsedTimer timer;
    timer.start();
    const TDocumentVerdict verdict =
        TestDocumentContent(source, QStringLiteral("\\\\H\\s\\big.txt"), config, {}, log);
    EXPECT_LT(timer.elapsed(), 10000); // reading it all would take 20 s
    EXPECT_EQ(verdict.Outcome, TDocumentOutcome::Failed);
    EXPECT_EQ(verdict.Reason, QStringLiteral("its text took longer than 1 s to extract"));
}

TEST(DocumentExcerptTest, ExcerptCentresTheTermAndFoldsWhiteSpace)
{
    const QString text = QString(100, u'a') + QStringLiteral("\n\nTERM\t") + QString(100, u'b');
    const QString excerpt = ExcerptAround(text, 102, 4);
    // 28 characters either side of the term in the text, the blanks among them.
    EXPECT_EQ(excerpt, QString(26, u'a') + QStringLiteral(" TERM ") + QString(27, u'b'));
    EXPECT_EQ(ExcerptAround(QStringLiteral("short TERM text"), 6, 4), QStringLiteral("short TERM text"));
    // At the start and the end the window keeps its width.
    EXPECT_EQ(ExcerptAround(text, 0, 1).size(), kExcerptLength);
    EXPECT_EQ(ExcerptAround(text, text.size() - 1, 1).size(), kExcerptLength);
    // A term longer than the excerpt is shown whole.
    EXPECT_EQ(ExcerptAround(QString(200, u'x'), 10, 100), QString(100, u'x'));
}

TEST(DocumentExcerptTest, ExcerptNeverSplitsASurrogatePair)
{
    const QString smile = QStringLiteral("\U0001F600");
    const QString text = smile.repeated(40) + QStringLiteral("TERM") + smile.repeated(40);
    const QString excerpt = ExcerptAround(text, 80, 4);
    EXPECT_TRUE(excerpt.contains(u"TERM"));
    EXPECT_FALSE(excerpt.front().isLowSurrogate());
    EXPECT_FALSE(excerpt.back().isHighSurrogate());
}

TEST(DocumentExcerptTest, TheMatchNamesTheTermFoundFirstInTheText)
{
    const auto match =
        MatchTermsInText(QStringLiteral("one two three"), QStringLiteral("three,two"), TTextLogic::Any);
    ASSERT_TRUE(match);
    EXPECT_EQ(match->Term, QStringLiteral("two"));
    // An empty term is never found, so "all" with one fails.
    EXPECT_FALSE(MatchTermsInText(QStringLiteral("a b"), QStringLiteral("a,,b"), TTextLogic::All));
    EXPECT_TRUE(MatchTermsInText(QStringLiteral("a b"), QStringLiteral("a,,b"), TTextLogic::Any));
}

} // namespace
