#include "model/AnsiCodec.h"

#include <gtest/gtest.h>

namespace {

TEST(AnsiCodecTest, EveryByteRoundTrips)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(static_cast<char>(b));
    const QString text = FromAnsi(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(text.at(0x80), QChar(0x20AC)); // euro sign
    EXPECT_EQ(text.at(0x9F), QChar(0x0178));
    EXPECT_EQ(text.at(0xE9), QChar(0x00E9));
    EXPECT_EQ(ToAnsi(text), all);
}

TEST(AnsiCodecTest, MissingCharactersBecomeOneQuestionMarkEach)
{
    EXPECT_EQ(ToAnsi(QStringLiteral("Жук")), "???");
    EXPECT_EQ(ToAnsi(QStringLiteral("a😀b")), "a?b"); // a surrogate pair is one character
    EXPECT_EQ(ToAnsi(QString(QChar(0xD800)) + QStringLiteral("x")), "?x"); // an unpaired surrogate
    EXPECT_EQ(ToAnsi(QStringLiteral("€ café")), "\x80 caf\xE9");
    EXPECT_EQ(ToAnsi(QString()), QByteArray());
}

} // namespace
