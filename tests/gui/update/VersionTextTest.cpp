#include "update/VersionText.h"

#include "model/Error.h"
#include "support/QStringPrinter.h"
#include "update/NetworkFailureText.h"

#include <gtest/gtest.h>

namespace {

const QString kNoData = QStringLiteral("The server has returned no data");
const QString kUnrecognized = QStringLiteral("The server has returned an unrecognized answer");

QString Parse(const QByteArray& body)
{
    return ParseVersionFile(body, kNoData, kUnrecognized);
}

QString ParseFailure(const QByteArray& body)
{
    try {
        Parse(body);
    } catch (const EKestrovaError& error) {
        return error.message();
    }
    return QStringLiteral("(no failure)");
}

} // namespace

TEST(VersionTextTest, LocalVersionLeavesOutAZeroReleaseAndNeverShowsTheBuild)
{
    EXPECT_EQ(VersionText(9, 0, 1), QStringLiteral("9.0.1"));
    EXPECT_EQ(VersionText(9, 1, 0), QStringLiteral("9.1"));
    EXPECT_EQ(VersionText(10, 12, 65535), QStringLiteral("10.12.65535"));
    EXPECT_EQ(LocalVersionText(),
              VersionText(KESTROVA_VERSION_MAJOR, KESTROVA_VERSION_MINOR, KESTROVA_VERSION_RELEASE));
    EXPECT_EQ(VersionCaption(), QStringLiteral("Version %1.%2 Release %3")
                                    .arg(KESTROVA_VERSION_MAJOR)
                                    .arg(KESTROVA_VERSION_MINOR)
                                    .arg(KESTROVA_VERSION_RELEASE));
}

TEST(VersionTextTest, BlanksAndLineEndsAroundTheNumberAreSeparators)
{
    EXPECT_EQ(Parse("9.0.1\r\n"), QStringLiteral("9.0.1"));
    EXPECT_EQ(Parse("  \t9.0.1 \n\n"), QStringLiteral("9.0.1"));
    EXPECT_EQ(Parse("9 . 0 . 1"), QStringLiteral("9.0.1"));
    // Blanks separate items as the dots do.
    EXPECT_EQ(Parse("9 0 1"), QStringLiteral("9.0.1"));
    EXPECT_EQ(Parse("12"), QStringLiteral("12"));
}

TEST(VersionTextTest, QuotedPartsAreOneItemEach)
{
    EXPECT_EQ(Parse("\"9\".\"0\".\"1\""), QStringLiteral("9.0.1"));
    // A quoted blank does not separate, so the item is no number.
    EXPECT_EQ(ParseFailure("\"9 0\""), kUnrecognized + QStringLiteral(": \"9 0\""));
}

TEST(VersionTextTest, AWordAfterTheNumberIsAnUnrecognizedAnswerQuotingSixteenCharacters)
{
    EXPECT_EQ(ParseFailure("9.0.1 beta release notes follow"),
              kUnrecognized + QStringLiteral(": 9.0.1 beta relea"));
    EXPECT_EQ(ParseFailure("<html><body>404 Not Found</body></html>"),
              kUnrecognized + QStringLiteral(": <html><body>404 "));
}

TEST(VersionTextTest, EmptyItemsSignsAndHexAreNoNumbers)
{
    EXPECT_EQ(ParseFailure("9..1"), kUnrecognized + QStringLiteral(": 9..1"));
    EXPECT_EQ(ParseFailure("9.0."), kUnrecognized + QStringLiteral(": 9.0."));
    EXPECT_EQ(ParseFailure("-9.0"), kUnrecognized + QStringLiteral(": -9.0"));
    EXPECT_EQ(ParseFailure("0x9.0"), kUnrecognized + QStringLiteral(": 0x9.0"));
}

TEST(VersionTextTest, AnEmptyBodyIsNoDataAndABlankOneIsNoVersion)
{
    EXPECT_EQ(ParseFailure(""), kNoData);
    // Nothing but line ends would give an empty version that always "differs".
    EXPECT_EQ(ParseFailure("\r\n"), kUnrecognized + QStringLiteral(": \r\n"));
}

TEST(VersionTextTest, TheBodyIsReadAsWindows1252)
{
    EXPECT_EQ(ParseFailure("9.0\xe9"), kUnrecognized + QStringLiteral(": 9.0\u00e9"));
}

TEST(VersionTextTest, TransportFailuresHaveTheClassicMessages)
{
    EXPECT_EQ(NetworkFailureText(QNetworkReply::ConnectionRefusedError, QStringLiteral("qt")),
              QStringLiteral("The attempt to connect to the server failed."));
    EXPECT_EQ(NetworkFailureText(QNetworkReply::HostNotFoundError, QStringLiteral("qt")),
              QStringLiteral("The server name could not be resolved."));
    EXPECT_EQ(InternetErrorText(kInternetTimeout), QStringLiteral("The request has timed out."));
    EXPECT_EQ(InternetErrorText(12999), QStringLiteral("Unknown error: 12999"));
    // Without a classic code Qt's own text says what happened.
    EXPECT_EQ(NetworkFailureText(QNetworkReply::SslHandshakeFailedError, QStringLiteral("handshake failed")),
              QStringLiteral("handshake failed"));
}
