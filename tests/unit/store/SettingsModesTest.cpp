#include "accounts/AccountList.h"
#include "files/IniFile.h"
#include "model/DiscoverySettings.h"
#include "store/MakeThreadConfig.h"
#include "store/Settings.h"
#include "store/WindowGeometry.h"
#include "support/SearchModePrinter.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <limits>
#include <vector>

namespace {

// One mode setting: where it is stored and its modes in the order of the stored
// values 0, 1, 2, ... as the settings file has always numbered them.
template <typename Mode> struct TModeKey {
    QString section;
    QString key;
    Mode TSettings::*field;
    std::vector<Mode> byStoredValue;
};

class SettingsModesTest : public ::testing::Test {
protected:
    TSettings Read(const QString& section, const QString& key, const QString& storedText)
    {
        TIniFile ini(dir.file("read.ini"));
        ini.WriteString(section, key, storedText);
        TSettings settings;
        ReadSettings(ini, window, settings, accounts, discovery);
        return settings;
    }

    // The text WriteSettings gives the key.
    QString Written(const TSettings& settings, const QString& section, const QString& key)
    {
        TIniFile ini(dir.file("written.ini"));
        WriteSettings(ini, window, settings, accounts, discovery);
        return ini.ReadString(section, key, QStringLiteral("(missing)"));
    }

    template <typename Mode> void ExpectEveryStoredValueReadAndWritten(const TModeKey<Mode>& mode)
    {
        SCOPED_TRACE(mode.key.toStdString());
        const auto count = static_cast<int32_t>(mode.byStoredValue.size());
        for (int32_t value = 0; value < count; ++value) {
            const TSettings read = Read(mode.section, mode.key, QString::number(value));
            EXPECT_EQ(read.*mode.field, mode.byStoredValue[value]) << "stored " << value;
            EXPECT_EQ(Written(read, mode.section, mode.key), QString::number(value));
        }
        // Hexadecimal text reads like any integer setting.
        EXPECT_EQ(Read(mode.section, mode.key, QStringLiteral("0x1")).*mode.field, mode.byStoredValue[1]);

        constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
        constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
        for (const int32_t value : {count, count + 1, 255, 256, kMax, -1, -2, kMin}) {
            const TSettings read = Read(mode.section, mode.key, QString::number(value));
            EXPECT_EQ(read.*mode.field, Mode::Unknown) << "stored " << value;
            EXPECT_EQ(Written(read, mode.section, mode.key), "-1") << "stored " << value;
        }
    }

    // A missing key and unreadable text give the default.
    template <typename Mode> void ExpectDefault(const TModeKey<Mode>& mode, Mode expected)
    {
        SCOPED_TRACE(mode.key.toStdString());
        EXPECT_EQ(Read(QStringLiteral("Other"), mode.key, QStringLiteral("1")).*mode.field, expected);
        EXPECT_EQ(Read(mode.section, mode.key, QStringLiteral("one")).*mode.field, expected);
        EXPECT_EQ(Read(mode.section, mode.key, QString()).*mode.field, expected);
    }

    TempDir dir;
    TAccountList accounts;
    TIPDiscoverySettings discovery;
    THeadlessWindowGeometry window{QSize(1920, 1080), TWindowBounds{100, 50, 800, 600}};
};

const TModeKey<TSearchType> kSearchMethod{"Misc",
                                          "SearchMethod",
                                          &TSettings::SearchMethod,
                                          {TSearchType::EntireNetwork, TSearchType::ExcludedComputers,
                                           TSearchType::SpecifiedComputers, TSearchType::IpAddressRange}};
const TModeKey<THiddenShareMode> kHiddenResSearchMethod{
    "Misc",
    "HiddenResSearchMethod",
    &TSettings::HiddenResSearchMethod,
    {THiddenShareMode::CommonOnly, THiddenShareMode::HiddenOnly, THiddenShareMode::CommonAndHidden}};
const TModeKey<TFolderListMode> kFoldersSearchMethod{
    "Misc",
    "FoldersSearchMethod",
    &TSettings::FoldersSearchMethod,
    {TFolderListMode::AllFolders, TFolderListMode::OnlySpecified, TFolderListMode::AllExceptSpecified}};
const TModeKey<TFtpMode> kFtpSearchMode{"Misc",
                                        "FtpSearchMode",
                                        &TSettings::FtpSearchMode,
                                        {TFtpMode::SharesOnly, TFtpMode::SharesAndFtp, TFtpMode::FtpOnly}};
const TModeKey<TTextLogic> kLogic{
    "TextSearch", "Logic", &TSettings::Logic, {TTextLogic::All, TTextLogic::Any, TTextLogic::None}};
const TModeKey<TTextEncoding> kEncoding{"TextSearch",
                                        "Encoding",
                                        &TSettings::Encoding,
                                        {TTextEncoding::Ansi, TTextEncoding::Utf16Le, TTextEncoding::Utf8}};
const std::vector<TSizeUnit> kUnits{TSizeUnit::Megabytes, TSizeUnit::Kilobytes, TSizeUnit::Bytes};
const TModeKey<TSizeUnit> kSizeMultipleFrom{"Filters", "SizeMultipleFrom", &TSettings::SizeMultipleFrom,
                                            kUnits};
const TModeKey<TSizeUnit> kSizeMultipleTo{"Filters", "SizeMultipleTo", &TSettings::SizeMultipleTo, kUnits};

TEST_F(SettingsModesTest, SearchTypeFromEveryStoredValue)
{
    ExpectEveryStoredValueReadAndWritten(kSearchMethod);
    ExpectDefault(kSearchMethod, TSearchType::EntireNetwork);
}

TEST_F(SettingsModesTest, HiddenShareModeFromEveryStoredValue)
{
    ExpectEveryStoredValueReadAndWritten(kHiddenResSearchMethod);
    ExpectDefault(kHiddenResSearchMethod, THiddenShareMode::CommonOnly);
}

TEST_F(SettingsModesTest, FolderListModeFromEveryStoredValue)
{
    ExpectEveryStoredValueReadAndWritten(kFoldersSearchMethod);
    ExpectDefault(kFoldersSearchMethod, TFolderListMode::AllFolders);
}

TEST_F(SettingsModesTest, FtpModeFromEveryStoredValue)
{
    ExpectEveryStoredValueReadAndWritten(kFtpSearchMode);
    ExpectDefault(kFtpSearchMode, TFtpMode::SharesOnly);
}

TEST_F(SettingsModesTest, TextLogicAndEncodingFromEveryStoredValue)
{
    ExpectEveryStoredValueReadAndWritten(kLogic);
    ExpectDefault(kLogic, TTextLogic::Any);
    ExpectEveryStoredValueReadAndWritten(kEncoding);
    ExpectDefault(kEncoding, TTextEncoding::Ansi);
}

TEST_F(SettingsModesTest, SizeUnitsFromEveryStoredValue)
{
    ExpectEveryStoredValueReadAndWritten(kSizeMultipleFrom);
    ExpectDefault(kSizeMultipleFrom, TSizeUnit::Bytes);
    ExpectEveryStoredValueReadAndWritten(kSizeMultipleTo);
    ExpectDefault(kSizeMultipleTo, TSizeUnit::Kilobytes);
}

TEST_F(SettingsModesTest, StoredUnitsScaleTheBoundsAsTheyAlwaysDid)
{
    TIniFile ini(dir.file("units.ini"));
    ini.WriteInteger("Filters", "SizeFrom", 3);
    ini.WriteInteger("Filters", "SizeTo", 3);
    TSettings settings;
    const std::vector<std::pair<int32_t, int64_t>> unitsAndBytes{
        {0, 3 * 1024 * 1024}, {1, 3 * 1024}, {2, 3}, {3, 0}, {-1, 0}, {1024, 0}};
    for (const auto& [unit, bytes] : unitsAndBytes) {
        ini.WriteInteger("Filters", "SizeMultipleFrom", unit);
        ini.WriteInteger("Filters", "SizeMultipleTo", unit);
        ReadSettings(ini, window, settings, accounts, discovery);
        const TThreadConfig config = MakeThreadConfig(settings, "*", "");
        EXPECT_EQ(config.SizeFrom, bytes) << "unit " << unit;
        EXPECT_EQ(config.SizeTo, bytes) << "unit " << unit;
    }
}

TEST_F(SettingsModesTest, AnUnknownModeReachesTheSearchAsUnknown)
{
    TIniFile ini(dir.file("unknown.ini"));
    for (const char* key : {"SearchMethod", "HiddenResSearchMethod", "FoldersSearchMethod", "FtpSearchMode"})
        ini.WriteInteger("Misc", key, 7);
    ini.WriteInteger("TextSearch", "Logic", 3);
    ini.WriteInteger("TextSearch", "Encoding", -3);
    TSettings settings;
    ReadSettings(ini, window, settings, accounts, discovery);
    const TThreadConfig config = MakeThreadConfig(settings, "*", "");
    EXPECT_EQ(config.SearchMethod, TSearchType::Unknown);
    EXPECT_EQ(config.HiddenResSearchMethod, THiddenShareMode::Unknown);
    EXPECT_EQ(config.FoldersSearchMethod, TFolderListMode::Unknown);
    EXPECT_EQ(config.FtpSearchMode, TFtpMode::Unknown);
    EXPECT_EQ(config.Logic, TTextLogic::Unknown);
    EXPECT_EQ(config.Encoding, TTextEncoding::Unknown);
}

} // namespace
