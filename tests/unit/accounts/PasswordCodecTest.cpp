#include "accounts/PasswordCodec.h"

#include "model/AnsiCodec.h"

#include <gtest/gtest.h>

namespace {

TEST(PasswordCodecTest, Base64OfTheWindows1252Bytes)
{
    EXPECT_EQ(EncodePassword(""), "");
    EXPECT_EQ(EncodePassword("a"), "YQ==");
    EXPECT_EQ(EncodePassword("ab"), "YWI=");
    EXPECT_EQ(EncodePassword("abc"), "YWJj");
    EXPECT_EQ(EncodePassword(QString::fromUtf8("\xE2\x82\xAC\xC3\xA9")), "gOk="); // 0x80 0xE9
    EXPECT_EQ(EncodePassword(QString::fromUtf8("\xE4\xB8\xAD")), "Pw==");         // not in 1252: '?'
}

TEST(PasswordCodecTest, LongPasswordsStayOnOneLine)
{
    const QString password(200, u'k');
    const QString stored = EncodePassword(password);
    EXPECT_EQ(stored.size(), 268);
    EXPECT_FALSE(stored.contains(u'\r'));
    EXPECT_FALSE(stored.contains(u'\n'));
    EXPECT_EQ(DecodePassword(stored), password);
}

TEST(PasswordCodecTest, RoundTripsEveryCharacterOfTheCodePage)
{
    QByteArray bytes;
    for (int byte = 1; byte < 256; ++byte)
        bytes.append(static_cast<char>(byte));
    const QString everyCharacter = FromAnsi(bytes);
    EXPECT_EQ(EncodePassword(everyCharacter), QString::fromLatin1(bytes.toBase64()));
    EXPECT_EQ(DecodePassword(EncodePassword(everyCharacter)), everyCharacter);
}

TEST(PasswordCodecTest, DecodingSkipsWhatIsNotBase64)
{
    EXPECT_EQ(DecodePassword("YW\r\nJj"), "abc");
    EXPECT_EQ(DecodePassword(" Y W J j "), "abc");
    EXPECT_EQ(DecodePassword("YW*Jj\t!"), "abc");
    // Written with the 76-character line breaks of older encoders.
    EXPECT_EQ(DecodePassword(EncodePassword(QString(57, u'z')).insert(76, "\r\n")), QString(57, u'z'));
}

TEST(PasswordCodecTest, PaddingEndsAGroupAndDecodingGoesOn)
{
    EXPECT_EQ(DecodePassword("YQ=="), "a");
    EXPECT_EQ(DecodePassword("YWI="), "ab");
    EXPECT_EQ(DecodePassword("YQ==YWJj"), "aabc");
    EXPECT_EQ(DecodePassword("YQ=xYWJj"), "aabc"); // '=' in third place: one byte
    EXPECT_EQ(DecodePassword("Y===YWJj"), "abc");  // '=' in second place: nothing
    EXPECT_EQ(DecodePassword("===="), "");
}

TEST(PasswordCodecTest, ACountThatIsNoMultipleOfFourKeepsItsWholeBytes)
{
    EXPECT_EQ(DecodePassword("YQ"), "a");
    EXPECT_EQ(DecodePassword("YWI"), "ab");
    EXPECT_EQ(DecodePassword("YWJjZ"), "abc"); // a lone sixth bit group is dropped
    EXPECT_EQ(DecodePassword("Y"), "");
}

} // namespace
