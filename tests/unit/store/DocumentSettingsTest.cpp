#include "accounts/AccountList.h"
#include "files/IniFile.h"
#include "model/DiscoverySettings.h"
#include "store/MakeThreadConfig.h"
#include "store/Settings.h"
#include "store/WindowGeometry.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

// The "TextSearch" keys of the document search: defaults for files without them,
// clamped limits, the round trip and what a search's configuration gets.
namespace {

struct State {
    TSettings settings;
    TAccountList accounts;
    TIPDiscoverySettings discovery;
    THeadlessWindowGeometry window{QSize(1920, 1080), TWindowBounds{100, 50, 800, 600}};
};

TSettings ReadFrom(const QString& path)
{
    State state;
    TIniFile ini(path);
    ReadSettings(ini, state.window, state.settings, state.accounts, state.discovery);
    return state.settings;
}

TEST(DocumentSettingsTest, FilesWithoutTheKeysGetTheDefaults)
{
    TempDir dir;
    const TSettings settings = ReadFrom(dir.write("old.ini", "[TextSearch]\r\nLogic=0\r\n"));
    EXPECT_FALSE(settings.SearchInsideDocuments);
    EXPECT_EQ(settings.DocumentSizeLimit, 64);
    EXPECT_EQ(settings.DocumentTimeLimit, 30);
}

TEST(DocumentSettingsTest, KeysRoundTripAndLimitsAreClamped)
{
    TempDir dir;
    State state;
    state.settings.SearchInsideDocuments = true;
    state.settings.DocumentSizeLimit = 12;
    state.settings.DocumentTimeLimit = 7;
    {
        TIniFile ini(dir.file("s.ini"));
        WriteSettings(ini, state.window, state.settings, state.accounts, state.discovery);
        ini.UpdateFile();
    }
    const TSettings back = ReadFrom(dir.file("s.ini"));
    EXPECT_TRUE(back.SearchInsideDocuments);
    EXPECT_EQ(back.DocumentSizeLimit, 12);
    EXPECT_EQ(back.DocumentTimeLimit, 7);

    const TSettings clamped =
        ReadFrom(dir.write("c.ini", "[TextSearch]\r\nDocumentSizeLimit=0\r\nDocumentTimeLimit=999999\r\n"));
    EXPECT_EQ(clamped.DocumentSizeLimit, 1);
    EXPECT_EQ(clamped.DocumentTimeLimit, kMaxDocumentTimeLimit);
}

TEST(DocumentSettingsTest, TheSearchGetsTheLimitInBytes)
{
    TSettings settings;
    settings.SearchInsideDocuments = true;
    settings.DocumentSizeLimit = kMaxDocumentSizeLimit;
    settings.DocumentTimeLimit = 3;
    const TThreadConfig config = MakeThreadConfig(settings, QStringLiteral("*"), QStringLiteral("x"));
    EXPECT_TRUE(config.SearchInsideDocuments);
    EXPECT_EQ(config.DocumentSizeLimit, int64_t{kMaxDocumentSizeLimit} * 1024 * 1024);
    EXPECT_EQ(config.DocumentTimeLimit, 3);
}

} // namespace
