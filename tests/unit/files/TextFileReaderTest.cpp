#include "files/TextFileReader.h"

#include "model/Error.h"
#include "support/QStringPrinter.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {

TEST(TextFileReaderTest, LinesEndAtCrLfCrOrLf)
{
    EXPECT_EQ(SplitTextLines("a\r\nb\rc\nd"), QStringList({"a", "b", "c", "d"}));
    EXPECT_EQ(SplitTextLines("a\r\n"), QStringList({"a"}));
    EXPECT_EQ(SplitTextLines("a\n\nb\n\r"), QStringList({"a", "", "b", ""}));
    EXPECT_EQ(SplitTextLines(""), QStringList());
    EXPECT_EQ(SplitTextLines("\n"), QStringList({""}));
}

TEST(TextFileReaderTest, ByteOrderMarkSelectsTheEncoding)
{
    EXPECT_EQ(DecodeTextBytes("\xEF\xBB\xBF\xC3\xA9"), QString::fromUtf8("\xC3\xA9"));
    EXPECT_EQ(DecodeTextBytes(QByteArray("\xFF\xFE\xE9\x00", 4)), QString::fromUtf8("\xC3\xA9"));
    EXPECT_EQ(DecodeTextBytes(QByteArray("\xFE\xFF\x00\xE9", 4)), QString::fromUtf8("\xC3\xA9"));
    // Without a mark the bytes are Windows-1252, where 0x80 is the euro sign.
    EXPECT_EQ(DecodeTextBytes("\x80\xE9"), QString::fromUtf8("\xE2\x82\xAC\xC3\xA9"));
    // A lone half of a UTF-8 mark is ANSI text.
    EXPECT_EQ(DecodeTextBytes("\xEF\xBB"), QString::fromUtf8("\xC3\xAF\xC2\xBB"));
    EXPECT_EQ(DecodeTextBytes(""), "");
}

TEST(TextFileReaderTest, ReadsUpToTheLimitAndNotAByteMore)
{
    TempDir dir;
    const QString path = dir.write("t.txt", "12345");
    EXPECT_EQ(ReadTextFile(path, 5), "12345");
    EXPECT_THROW(ReadTextFile(path, 4), EKestrovaError);
    try {
        ReadTextFile(dir.file("missing.txt"), 5);
        FAIL() << "a missing file was read";
    } catch (const EKestrovaError& error) {
        EXPECT_TRUE(error.message().contains("missing.txt")) << error.message().toStdString();
    }
}

} // namespace

// Large files are read in blocks: the limit still holds to the byte across block
// boundaries, and every block arrives in order.
TEST(TextFileReaderTest, FilesLongerThanOneBlockReadWholeAndInOrder)
{
    TempDir dir;
    QByteArray text;
    for (int i = 0; text.size() < 200 * 1024; ++i)
        text += QByteArray::number(i) + ' ';
    const QString path = dir.write("long.txt", text);
    EXPECT_EQ(ReadTextFile(path, text.size()), QString::fromLatin1(text));
    EXPECT_THROW(ReadTextFile(path, text.size() - 1), EKestrovaError);
    EXPECT_THROW(ReadTextFile(path, 64 * 1024), EKestrovaError);
}
