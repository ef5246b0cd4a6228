#include "store/SettingsFile.h"

#include "accounts/AccountList.h"
#include "accounts/AccountStorage.h"
#include "accounts/LegacyAccountFile.h"
#include "files/IniFile.h"
#include "model/DateTime.h"
#include "model/Error.h"
#include "platform/ProgramPath.h"
#include "store/Settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cmath>
#include <unistd.h>

namespace {

const QString kAutoUpdate = QStringLiteral("AutoUpdate");

bool FolderIsWritable(const QString& folder)
{
    return ::access(QFile::encodeName(folder).constData(), W_OK | X_OK) == 0;
}

QString UserConfigFolder()
{
    QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!configHome.isEmpty() && QDir::isAbsolutePath(configHome))
        return configHome;
    return QDir::homePath() + QStringLiteral("/.config");
}

void CreateFolderFor(const QString& filePath)
{
    const QString folder = QFileInfo(filePath).absolutePath();
    if (!QDir().mkpath(folder))
        throw EKestrovaError(QStringLiteral("Cannot create the folder %1").arg(folder));
}

} // namespace

void ReadAutoUpdateSettings(const TIniFile& ini, TAutoUpdateSettings& settings)
{
    const auto today = static_cast<int32_t>(std::floor(NowDateTime()));
    settings.QueryForAutoCheck = ini.ReadBool(kAutoUpdate, QStringLiteral("QueryForAutoCheck"), true);
    settings.AutoCheckEnabled = ini.ReadBool(kAutoUpdate, QStringLiteral("AutoCheckEnabled"), false);
    settings.LastAutoCheckDate = ini.ReadInteger(kAutoUpdate, QStringLiteral("LastAutoCheckDate"), today);
}

void WriteAutoUpdateSettings(TIniFile& ini, const TAutoUpdateSettings& settings)
{
    ini.WriteBool(kAutoUpdate, QStringLiteral("QueryForAutoCheck"), settings.QueryForAutoCheck);
    ini.WriteBool(kAutoUpdate, QStringLiteral("AutoCheckEnabled"), settings.AutoCheckEnabled);
    ini.WriteInteger(kAutoUpdate, QStringLiteral("LastAutoCheckDate"), settings.LastAutoCheckDate);
}

QString SettingsFilePath(const QString& programPath)
{
    QString besideProgram = ReplaceFileExtension(programPath, QStringLiteral(".ini"));
    if (!programPath.isEmpty() && FolderIsWritable(QFileInfo(besideProgram).absolutePath()))
        return besideProgram;
    return UserConfigFolder() + QStringLiteral("/kestrova/kestrova.ini");
}

void LoadSettings(const QString& settingsPath, TWindowGeometry& window, TProgramSettings& settings)
{
    const TIniFile ini(settingsPath);
    ReadSettings(ini, window, settings.Settings, settings.Accounts, settings.IPDiscovery);
    ReadAutoUpdateSettings(ini, settings.AutoUpdate);
}

void SaveSettings(const QString& settingsPath, const TWindowGeometry& window,
                  const TProgramSettings& settings)
{
    TIniFile ini(settingsPath);
    WriteSettings(ini, window, settings.Settings, settings.Accounts, settings.IPDiscovery);
    WriteAutoUpdateSettings(ini, settings.AutoUpdate);
    CreateFolderFor(settingsPath);
    ini.UpdateFile();
}

void LoadProfile(const QString& profilePath, TWindowGeometry& window, TProgramSettings& settings)
{
    const TIniFile ini(profilePath);
    ReadSettings(ini, window, settings.Settings, settings.Accounts, settings.IPDiscovery);
}

void SaveProfile(const QString& profilePath, const TWindowGeometry& window, const TProgramSettings& settings)
{
    TIniFile ini(profilePath);
    WriteSettings(ini, window, settings.Settings, settings.Accounts, settings.IPDiscovery);
    ini.UpdateFile();
}

int ImportLegacyAccounts(const QString& settingsPath, TAccountList& accounts)
{
    return ImportLegacyAccountFile(LegacyAccountFilePath(settingsPath), accounts, [&settingsPath, &accounts] {
        TIniFile ini(settingsPath);
        SaveAccounts(ini, accounts);
        CreateFolderFor(settingsPath);
        ini.UpdateFile();
    });
}
