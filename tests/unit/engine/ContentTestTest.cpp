#include "engine/ContentTest.h"

#include "engine/ContentScanner.h"
#include "support/MemoryByteSource.h"

#include <gtest/gtest.h>

namespace {

TThreadConfig Config(const QString& text, TTextLogic logic = TTextLogic::Any,
                     TTextEncoding encoding = TTextEncoding::Ansi)
{
    TThreadConfig config;
    config.EnableTextSearch = true;
    config.SearchText = text;
    config.Logic = logic;
    config.Encoding = encoding;
    return config;
}

std::optional<TContentMatch> Check(const QByteArray& content, const TThreadConfig& config,
                                   size_t chunkSize = kScanChunkSize)
{
    MemoryByteSource source(content);
    return TestContent(source, config, {}, chunkSize);
}

const QString kBefore = QStringLiteral("The quick brown fox jumps over the lazy dog and then ");
const QString kAfter = QStringLiteral(" was hidden under the old oak tree by the river bank.");

TEST(ContentTestTest, GivesTheTermAndSixtyCharactersAroundIt)
{
    const auto match =
        Check((kBefore + QStringLiteral("needle") + kAfter).toLatin1(), Config(QStringLiteral("needle")));
    ASSERT_TRUE(match);
    EXPECT_EQ(match->Term, QStringLiteral("needle"));
    EXPECT_EQ(match->Excerpt.size(), kExcerptLength);
    EXPECT_EQ(match->Excerpt, kBefore.right(27) + QStringLiteral("needle") + kAfter.left(27));
}

TEST(ContentTestTest, ShortTextOnOneSideLeavesRoomToTheOther)
{
    const auto match = Check(("needle" + kAfter).toLatin1(), Config(QStringLiteral("needle")));
    ASSERT_TRUE(match);
    EXPECT_EQ(match->Excerpt, QStringLiteral("needle") + kAfter.left(54));
}

TEST(ContentTestTest, DecodesTheExcerptInTheSearchsEncoding)
{
    const QString text = QStringLiteral("Caf\u00e9 cr\u00e8me \u20ac5: needle \u00fcber alles");
    for (const TTextEncoding encoding : {TTextEncoding::Ansi, TTextEncoding::Utf16Le, TTextEncoding::Utf8}) {
        const auto match =
            Check(TermToBytes(text, encoding), Config(QStringLiteral("needle"), TTextLogic::Any, encoding));
        ASSERT_TRUE(match) << int(encoding);
        EXPECT_EQ(match->Excerpt, text) << int(encoding);
    }
}

TEST(ContentTestTest, CharactersCutAtTheEdgeOfTheContextAreDropped)
{
    // Characters of four UTF-8 bytes and two UTF-16 units on either side, shifted so
    // that the bytes kept around the term start and end inside one of them or not:
    // the excerpt never shows half a character.
    const QString wide = QStringLiteral("\U0001F600\u20ac");
    for (const TTextEncoding encoding : {TTextEncoding::Utf16Le, TTextEncoding::Utf8}) {
        for (int shift = 0; shift < 4; ++shift) {
            const QString text = wide.repeated(100) + QString(shift, u'x') + QStringLiteral("needle") +
                                 QString(shift, u'y') + wide.repeated(100);
            const auto match = Check(TermToBytes(text, encoding),
                                     Config(QStringLiteral("needle"), TTextLogic::Any, encoding));
            ASSERT_TRUE(match);
            const QString& excerpt = match->Excerpt;
            EXPECT_TRUE(excerpt.contains(QStringLiteral("needle")));
            EXPECT_TRUE(text.contains(excerpt)) << int(encoding) << " shift " << shift;
            EXPECT_FALSE(excerpt.contains(QChar::ReplacementCharacter));
            EXPECT_TRUE(excerpt.isValidUtf16()) << int(encoding) << " shift " << shift;
            EXPECT_GE(excerpt.size(), kExcerptLength - 2);
        }
    }
}

TEST(ContentTestTest, LineBreaksAndControlCharactersBecomeSingleBlanks)
{
    const auto match =
        Check(QByteArray("first line\r\n\r\n\tneedle\0\0\x01tail", 28), Config(QStringLiteral("needle")));
    ASSERT_TRUE(match);
    EXPECT_EQ(match->Excerpt, QStringLiteral("first line needle tail"));
}

TEST(ContentTestTest, TheTermFoundFirstInTheFileIsNamed)
{
    const QByteArray content = "alpha then beta then gamma";
    for (const TTextLogic logic : {TTextLogic::Any, TTextLogic::All}) {
        const auto match = Check(content, Config(QStringLiteral("gamma beta alpha"), logic));
        ASSERT_TRUE(match);
        EXPECT_EQ(match->Term, QStringLiteral("alpha"));
    }
    const auto quoted = Check(content, Config(QStringLiteral("gamma,\"then beta\""), TTextLogic::Any));
    ASSERT_TRUE(quoted);
    EXPECT_EQ(quoted->Term, QStringLiteral("then beta"));
}

TEST(ContentTestTest, NoneLogicPassesWithoutATerm)
{
    EXPECT_FALSE(Check("a needle", Config(QStringLiteral("needle thread"), TTextLogic::None)));
    const auto match = Check("only hay", Config(QStringLiteral("needle thread"), TTextLogic::None));
    ASSERT_TRUE(match);
    EXPECT_EQ(*match, TContentMatch{});
}

TEST(ContentTestTest, FilesThatDoNotPassGiveNothing)
{
    EXPECT_FALSE(Check("needle", Config(QStringLiteral("needle thread"), TTextLogic::All)));
    EXPECT_FALSE(Check("", Config(QStringLiteral("needle"))));
    MemoryByteSource failing("a needle in a file that cannot be read");
    failing.setFailingRead(1);
    EXPECT_FALSE(TestContent(failing, Config(QStringLiteral("needle")), {}));
    std::stop_source stop;
    stop.request_stop();
    MemoryByteSource source("a needle");
    EXPECT_FALSE(TestContent(source, Config(QStringLiteral("needle")), stop.get_token()));
}

TEST(ContentTestTest, ExcerptIsTheSameWhereverTheChunksEnd)
{
    const QByteArray content = (kBefore + kBefore + QStringLiteral("needle") + kAfter + kAfter).toLatin1();
    const auto whole = Check(content, Config(QStringLiteral("needle")));
    ASSERT_TRUE(whole);
    for (size_t chunkSize = 1; chunkSize < size_t(content.size()); chunkSize += 7) {
        const auto chunked = Check(content, Config(QStringLiteral("needle")), chunkSize);
        ASSERT_TRUE(chunked) << chunkSize;
        EXPECT_EQ(chunked->Excerpt, whole->Excerpt) << chunkSize;
    }
}

TEST(ContentTestTest, ExcerptOfATermLongerThanTheExcerptIsTheTerm)
{
    const QString term(80, u'n');
    const auto match = Check(("before " + term + " after").toLatin1(), Config(term));
    ASSERT_TRUE(match);
    EXPECT_EQ(match->Excerpt, term);
}

TEST(ContentExcerptTest, SplitsTheRoomEvenlyAndGivesWhatOneSideLacksToTheOther)
{
    EXPECT_EQ(ContentExcerpt(QString(100, u'a'), QStringLiteral("term"), QString(100, u'b')),
              QString(28, u'a') + QStringLiteral("term") + QString(28, u'b'));
    EXPECT_EQ(ContentExcerpt(QStringLiteral("ab"), QStringLiteral("term"), QString(100, u'b')),
              QStringLiteral("abterm") + QString(54, u'b'));
    EXPECT_EQ(ContentExcerpt(QString(100, u'a'), QStringLiteral("term"), QStringLiteral("\n")),
              QString(55, u'a') + QStringLiteral("term "));
}

} // namespace
