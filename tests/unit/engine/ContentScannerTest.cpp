#include "engine/ContentScanner.h"

#include "model/Error.h"
#include "support/MemoryByteSource.h"

#include <gtest/gtest.h>
#include <stop_token>

namespace {

constexpr TTextLogic kAll = TTextLogic::All, kAny = TTextLogic::Any, kNone = TTextLogic::None;
constexpr TTextEncoding kAnsi = TTextEncoding::Ansi, kUtf16 = TTextEncoding::Utf16Le,
                        kUtf8 = TTextEncoding::Utf8;

class ContentScannerTest : public ::testing::Test {};

bool Contains(const QByteArray& content, const QString& text, TTextLogic logic = kAll,
              TTextEncoding encoding = kAnsi, size_t chunkSize = kScanChunkSize)
{
    MemoryByteSource source(content);
    return FileContainsText(source, text, logic, encoding, chunkSize);
}

QByteArray Utf16(const QString& text)
{
    return TermToBytes(text, kUtf16);
}

TEST(TermToBytesTest, EncodesInTheChosenEncoding)
{
    EXPECT_EQ(TermToBytes(QStringLiteral("caf\u00e9 \u20ac"), kAnsi), QByteArray("caf\xe9 \x80"));
    // Characters Windows-1252 lacks become '?'; a surrogate pair is one character.
    EXPECT_EQ(TermToBytes(QStringLiteral("\u0142\U0001F600x"), kAnsi), QByteArray("??x"));
    EXPECT_EQ(TermToBytes(QStringLiteral("h\u00e9"), kUtf16), QByteArray("h\0\xe9\0", 4));
    EXPECT_EQ(TermToBytes(QStringLiteral("\u20ac\U0001F600"), kUtf16),
              QByteArray("\xac\x20\x3d\xd8\x00\xde", 6));
    EXPECT_EQ(TermToBytes(QStringLiteral("h\u00e9\u20ac"), kUtf8), QByteArray("h\xc3\xa9\xe2\x82\xac"));
    EXPECT_TRUE(TermToBytes(QStringLiteral("hello"), TTextEncoding::Unknown).isEmpty());
}

TEST_F(ContentScannerTest, FindBytesTriesOverlappingCandidates)
{
    std::stop_source stop;
    const auto find = [&stop](const QByteArray& buffer, const QByteArray& pattern) {
        return FindBytes(buffer.constData(), static_cast<size_t>(buffer.size()), pattern.constData(),
                         static_cast<size_t>(pattern.size()), stop.get_token());
    };
    EXPECT_TRUE(find("aab", "ab"));
    EXPECT_TRUE(find("aababab", "abab"));
    EXPECT_FALSE(find("aabab", "ababa"));
    EXPECT_FALSE(find("Hello", "hello"));
    EXPECT_FALSE(find(QByteArray("h\0i", 3), "hi"));
    EXPECT_FALSE(find("abc", ""));
    EXPECT_FALSE(find("ab", "abc"));
    // Larger than one slice, so the stop test between slices runs.
    const QByteArray large = QByteArray(3 << 20, '.') + "end";
    EXPECT_TRUE(find(large, ".end"));
    stop.request_stop();
    EXPECT_FALSE(find(large, ".end"));
    EXPECT_FALSE(find("aab", "ab"));
}

TEST_F(ContentScannerTest, EncodingDecidesWhichFilesMatch)
{
    const QByteArray ansi = "say hello to caf\xe9";
    const QByteArray utf8 = "say hello to caf\xc3\xa9";
    const QByteArray utf16 = Utf16(QStringLiteral("say hello to caf\u00e9"));
    EXPECT_TRUE(Contains(ansi, "hello", kAll, kAnsi));
    EXPECT_TRUE(Contains(utf8, "hello", kAll, kAnsi));
    EXPECT_FALSE(Contains(ansi, "Hello", kAll, kAnsi));
    EXPECT_FALSE(Contains(utf16, "hello", kAll, kAnsi));
    EXPECT_TRUE(Contains(utf16, "hello", kAll, kUtf16));
    EXPECT_FALSE(Contains(ansi, "hello", kAll, kUtf16));
    EXPECT_TRUE(Contains(ansi, QStringLiteral("caf\u00e9"), kAll, kAnsi));
    EXPECT_FALSE(Contains(utf8, QStringLiteral("caf\u00e9"), kAll, kAnsi));
    EXPECT_TRUE(Contains(utf8, QStringLiteral("caf\u00e9"), kAll, kUtf8));
    EXPECT_FALSE(Contains(ansi, QStringLiteral("caf\u00e9"), kAll, kUtf8));
}

TEST_F(ContentScannerTest, BlankSeparatesTermsUnlessQuoted)
{
    EXPECT_TRUE(Contains("foo and bar", "foo bar", kAll));
    EXPECT_FALSE(Contains("foo only", "foo bar", kAll));
    EXPECT_TRUE(Contains("foo only", "foo bar", kAny));
    EXPECT_FALSE(Contains("foo and bar", "\"foo bar\"", kAll));
    EXPECT_TRUE(Contains("a foo bar b", "\"foo bar\"", kAll));
    EXPECT_TRUE(Contains("x,y and z", "\"x,y\" z", kAll));
}

TEST_F(ContentScannerTest, EmptyTermIsNeverFound)
{
    EXPECT_FALSE(Contains("a and b", "a,,b", kAll));
    EXPECT_TRUE(Contains("only a", "a,,b", kAny));
    EXPECT_TRUE(Contains("only b", "a,,b", kAny));
    EXPECT_FALSE(Contains("neither", "x,,y", kAny));
    EXPECT_TRUE(Contains("neither", "x,,y", kNone));
    EXPECT_FALSE(Contains("has x", "x,,y", kNone));
    // A comma at the very end adds an empty term.
    EXPECT_FALSE(Contains("a", "a,", kAll));
    EXPECT_TRUE(Contains("a", "a,", kAny));
}

TEST_F(ContentScannerTest, NoneLogicNeedsAReadableNonEmptyFile)
{
    EXPECT_TRUE(Contains("nothing here", "needle", kNone));
    EXPECT_FALSE(Contains("a needle here", "needle", kNone));
    EXPECT_FALSE(Contains("", "needle", kNone));
    EXPECT_FALSE(Contains("", "needle", kAll));
    EXPECT_FALSE(Contains("", "a b", kNone));
    MemoryByteSource unsizable("needle");
    unsizable.setReportedSize(-1);
    EXPECT_FALSE(FileContainsText(unsizable, "other", kNone, kAnsi));
    MemoryByteSource unreadable("needle");
    unreadable.setFailingRead(1);
    EXPECT_FALSE(FileContainsText(unreadable, "other", kNone, kAnsi));
    EXPECT_FALSE(FileContainsText(unreadable, "other,thing", kNone, kAnsi));
}

TEST_F(ContentScannerTest, TermLongerThanTheFileIsNotFound)
{
    EXPECT_FALSE(Contains("abc", "abcd"));
    EXPECT_TRUE(Contains("abc", "abcd", kNone));
    EXPECT_FALSE(Contains("abc", "abc abcd", kAll));
    EXPECT_TRUE(Contains("abc", "abc abcd", kAny));
    // Two bytes per character: "ab" in UTF-16 is longer than a three-byte file.
    EXPECT_FALSE(Contains("a\0b", "ab", kAll, kUtf16));
}

TEST_F(ContentScannerTest, UnknownLogic)
{
    constexpr TTextLogic kUnknown = TTextLogic::Unknown;
    try {
        Contains("foo bar", "foo bar", kUnknown);
        FAIL() << "no error raised";
    } catch (const EKestrovaError& error) {
        EXPECT_EQ(error.message(), "Wrong text search logic");
    }
    EXPECT_THROW(Contains("x", "a,b", kUnknown), EKestrovaError);
    // One term: tested as "all", nothing raised.
    EXPECT_TRUE(Contains("foo", "foo", kUnknown));
    EXPECT_FALSE(Contains("bar", "foo", kUnknown));
    // Nothing to read, nothing raised.
    EXPECT_FALSE(Contains("", "foo bar", kUnknown));
}

TEST_F(ContentScannerTest, TermsAcrossChunkBoundariesAreFound)
{
    const QByteArray content =
        QByteArray(50, '.') + "alpha" + QByteArray(50, '.') + "beta" + QByteArray(7, '.');
    for (size_t chunkSize :
         {size_t{1}, size_t{4}, size_t{7}, size_t{52}, size_t{53}, size_t{54}, size_t{104}}) {
        EXPECT_TRUE(Contains(content, "alpha beta", kAll, kAnsi, chunkSize)) << chunkSize;
        EXPECT_FALSE(Contains(content, "alpha gamma", kAll, kAnsi, chunkSize)) << chunkSize;
        EXPECT_FALSE(Contains(content, "alpha,beta", kNone, kAnsi, chunkSize)) << chunkSize;
    }
    const QByteArray utf16 = QByteArray(33, '.') + Utf16("wide");
    EXPECT_TRUE(Contains(utf16, "wide", kAll, kUtf16, 16));
}

TEST_F(ContentScannerTest, StopDuringTheScanGivesFalse)
{
    const QByteArray content = QByteArray(10000, '.') + "late";
    for (const TTextLogic logic : {kAll, kAny, kNone}) {
        for (const QString& text : {QStringLiteral("late"), QStringLiteral("late absent")}) {
            std::stop_source stop;
            MemoryByteSource source(content);
            source.setBeforeRead([&stop](int readNumber) {
                if (readNumber == 3)
                    stop.request_stop();
            });
            EXPECT_FALSE(FileContainsText(source, text, logic, kAnsi, 1000, stop.get_token()))
                << StoredModeValue(logic) << text.toStdString();
            EXPECT_EQ(source.readCount(), 3);
        }
    }
}

TEST_F(ContentScannerTest, ReadErrorDuringTheScanGivesFalse)
{
    MemoryByteSource source(QByteArray(10000, '.'));
    source.setFailingRead(4);
    // The term is absent from what was read, but the file was not read to its end.
    EXPECT_FALSE(FileContainsText(source, "absent", kNone, kAnsi, 1000));
}

} // namespace
