#include "platform/UncPath.h"

#include <gtest/gtest.h>

namespace {

UncPath parsed(const QString& unc)
{
    auto path = UncPath::parse(unc);
    EXPECT_TRUE(path.has_value()) << unc.toStdString();
    return path.value_or(UncPath());
}

std::string url(const QString& unc)
{
    return parsed(unc).toUrl().toStdString();
}

} // namespace

TEST(UncPathTest, SplitsHostShareAndComponents)
{
    UncPath path = parsed(QStringLiteral("\\\\HOST\\share\\dir\\name.txt"));
    EXPECT_EQ(path.host(), QStringLiteral("HOST"));
    EXPECT_EQ(path.share(), QStringLiteral("share"));
    EXPECT_EQ(path.components(), (QStringList{QStringLiteral("dir"), QStringLiteral("name.txt")}));
    EXPECT_FALSE(path.isHost());

    UncPath host = parsed(QStringLiteral("\\\\127.0.0.2"));
    EXPECT_TRUE(host.isHost());
    EXPECT_TRUE(host.share().isEmpty());
    EXPECT_TRUE(host.components().isEmpty());
}

TEST(UncPathTest, OneTrailingBackslashIsIgnored)
{
    EXPECT_EQ(parsed(QStringLiteral("\\\\HOST\\")), parsed(QStringLiteral("\\\\HOST")));
    EXPECT_EQ(parsed(QStringLiteral("\\\\HOST\\share\\dir\\")),
              parsed(QStringLiteral("\\\\HOST\\share\\dir")));
}

TEST(UncPathTest, RejectsWhatIsNoUncPath)
{
    for (const char* text :
         {"", "\\", "\\\\", "\\\\\\share", "HOST\\share", "\\HOST\\share", "//HOST/share",
          "\\\\HOST\\\\share", "\\\\HOST\\share\\\\dir", "\\\\HOST\\share\\dir\\\\", "smb://HOST/share"})
        EXPECT_FALSE(UncPath::parse(QString::fromUtf8(text)).has_value()) << text;
}

TEST(UncPathTest, RoundTripsThroughUnc)
{
    for (const char* text : {"\\\\H", "\\\\HOST\\s", "\\\\HOST\\share$\\a b\\c%d\\e?f\\日本語\\trailing."}) {
        QString unc = QString::fromUtf8(text);
        EXPECT_EQ(parsed(unc).toUnc(), unc) << text;
    }
}

TEST(UncPathTest, BuildsUrls)
{
    EXPECT_EQ(url(QStringLiteral("\\\\HOST")), "smb://HOST/");
    EXPECT_EQ(url(QStringLiteral("\\\\127.0.0.2\\public")), "smb://127.0.0.2/public");
    EXPECT_EQ(url(QStringLiteral("\\\\HOST\\share\\dir\\file.txt")), "smb://HOST/share/dir/file.txt");
    EXPECT_EQ(url(QStringLiteral("\\\\HOST\\hidden$")), "smb://HOST/hidden$");
}

TEST(UncPathTest, EscapesWhatLibsmbclientWouldMisread)
{
    // '%' would be decoded, '?' starts a query, '#' a fragment, '/' a new component.
    EXPECT_EQ(UncPath::encodeComponent(QStringLiteral("100%.txt")), QStringLiteral("100%25.txt"));
    EXPECT_EQ(UncPath::encodeComponent(QStringLiteral("%41%2F")), QStringLiteral("%2541%252F"));
    EXPECT_EQ(UncPath::encodeComponent(QStringLiteral("what?.txt")), QStringLiteral("what%3F.txt"));
    EXPECT_EQ(UncPath::encodeComponent(QStringLiteral("hash#tag")), QStringLiteral("hash%23tag"));
    EXPECT_EQ(UncPath::encodeComponent(QStringLiteral("a/b")), QStringLiteral("a%2Fb"));
    EXPECT_EQ(UncPath::encodeComponent(QStringLiteral("tab\there")), QStringLiteral("tab%09here"));
    EXPECT_EQ(UncPath::encodeComponent(QString(QChar(0x7f))), QStringLiteral("%7F"));
}

TEST(UncPathTest, LeavesHarmlessCharactersAlone)
{
    for (const char* text :
         {"blank name", " leading", "semi;colon", "at@sign", "plus+sign", "amp&sand", "dollar$", "quote's",
          "~tilde", "trailing.", "accent-é", "Ünïcødé Ø", "日本語", "中文 文件", "(x)[y]{z}", "=,!"}) {
        QString name = QString::fromUtf8(text);
        EXPECT_EQ(UncPath::encodeComponent(name), name) << text;
    }
}

TEST(UncPathTest, EveryAsciiCharacterIsEitherKeptOrEscaped)
{
    // Exhaustive over ASCII: the reserved set is escaped as %XX, nothing else changes.
    const QString reserved = QStringLiteral("%?/#");
    for (char16_t unit = 1; unit < 0x80; ++unit) {
        QString name = QStringLiteral("a") + QChar(unit) + QStringLiteral("b");
        QString encoded = UncPath::encodeComponent(name);
        bool escape = unit < 0x20 || unit == 0x7f || reserved.contains(QChar(unit));
        QString expected = escape ? QString::asprintf("a%%%02Xb", unsigned(unit)) : name;
        EXPECT_EQ(encoded, expected) << "character " << unsigned(unit);
    }
}

TEST(UncPathTest, HostPartEscapesUserPortAndSuffixMarks)
{
    // In the host part '@' would start user information, ':' a port and '#' a
    // NetBIOS suffix.
    EXPECT_EQ(UncPath::encodeHost(QStringLiteral("user@host")), QStringLiteral("user%40host"));
    EXPECT_EQ(UncPath::encodeHost(QStringLiteral("host:139")), QStringLiteral("host%3A139"));
    EXPECT_EQ(UncPath::encodeHost(QStringLiteral("NAME#20")), QStringLiteral("NAME%2320"));
    EXPECT_EQ(UncPath::encodeHost(QStringLiteral("odd%host")), QStringLiteral("odd%25host"));
    EXPECT_EQ(UncPath::encodeHost(QStringLiteral("server-01.example")), QStringLiteral("server-01.example"));
    EXPECT_EQ(url(QStringLiteral("\\\\a@b\\share")), "smb://a%40b/share");
    // Path components keep '@' and ':' as they are.
    EXPECT_EQ(url(QStringLiteral("\\\\H\\s\\a@b:c")), "smb://H/s/a@b:c");
}

TEST(UncPathTest, DerivesParentsAndChildren)
{
    UncPath host = parsed(QStringLiteral("\\\\HOST"));
    UncPath share = host.child(QStringLiteral("share"));
    EXPECT_EQ(share.toUnc(), QStringLiteral("\\\\HOST\\share"));
    UncPath file = share.child(QStringLiteral("dir")).child(QStringLiteral("f?.txt"));
    EXPECT_EQ(file.toUnc(), QStringLiteral("\\\\HOST\\share\\dir\\f?.txt"));
    EXPECT_EQ(file.toUrl(), QStringLiteral("smb://HOST/share/dir/f%3F.txt"));
    EXPECT_EQ(file.sharePath(), share);
    EXPECT_EQ(file.hostPath(), host);
    EXPECT_EQ(host.sharePath(), host);
}
