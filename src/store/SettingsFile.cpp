#include "store/SettingsFile.h"

#include "accounts/AccountList.h"
#include "accounts/AccountStorage.h"
#include "accounts/LegacyAccountFile.h"
#include "accounts/PasswordKeeper.h"
#include "accounts/SecretServiceVault.h"
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

// Exact text: the [AutoUpdate] section and its keys below live in the settings
// file users keep; the update tests and hand-edited files (VersionFileAddress) use
// them by name.
const QString kAutoUpdate = QStringLiteral("AutoUpdate");

bool FolderIsWritable(const QString& folder)
{
    return ::access(QFile::encodeName(folder).constData(), W_OK | X_OK) == 0;
}

QString UserConfigFolder()
{
    // Exact text: the desktop's variable and folder for per-user settings; users who
    // move theirs set XDG_CONFIG_HOME, and so do the settings tests.
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

TPasswordVault& DesktopKeyring()
{
    // Exact text: the keyring service name the stored passwords are filed under;
    // entries written by earlier runs are looked up by it.
    static TSecretServiceVault keyring(QStringLiteral("Kestrova"));
    return keyring;
}

// Exact text: shares the [Accounts] section and its PasswordStore keys with
// accounts/AccountStorage.cpp; users' settings files hold them.
const QString kAccounts = QStringLiteral("Accounts");

} // namespace

bool InUserConfigFolder(const QString& settingsPath)
{
    return QFileInfo(settingsPath).absoluteFilePath().startsWith(UserConfigFolder() + u'/');
}

void PreparePasswordKeeper(const TIniFile& ini, const QString& settingsPath, TPasswordKeeper& keeper)
{
    if (!keeper.Vault())
        keeper.SetVault(&DesktopKeyring());
    keeper.ClearProblems();
    keeper.SetStoreId(ini.ReadString(kAccounts, QStringLiteral("PasswordStoreId"), {}));
    // Asking the keyring costs a round trip (or a time-out on a server), so it is
    // asked only where its answer decides.
    const std::optional<TPasswordStore> recorded =
        ParsePasswordStore(ini.ReadString(kAccounts, QStringLiteral("PasswordStore"), {}));
    if (recorded)
        keeper.SetStore(*recorded);
    else if (InUserConfigFolder(settingsPath) && keeper.VaultAnswers())
        keeper.SetStore(TPasswordStore::SecretService);
    else
        keeper.SetStore(TPasswordStore::SettingsFile);
}

void ReadAutoUpdateSettings(const TIniFile& ini, TAutoUpdateSettings& settings)
{
    const auto today = static_cast<int32_t>(std::floor(NowDateTime()));
    settings.QueryForAutoCheck = ini.ReadBool(kAutoUpdate, QStringLiteral("QueryForAutoCheck"), true);
    settings.AutoCheckEnabled = ini.ReadBool(kAutoUpdate, QStringLiteral("AutoCheckEnabled"), false);
    settings.LastAutoCheckDate = ini.ReadInteger(kAutoUpdate, QStringLiteral("LastAutoCheckDate"), today);
    settings.VersionFileAddress =
        ini.ReadString(kAutoUpdate, QStringLiteral("VersionFileAddress"), {}).trimmed();
}

void WriteAutoUpdateSettings(TIniFile& ini, const TAutoUpdateSettings& settings)
{
    ini.WriteBool(kAutoUpdate, QStringLiteral("QueryForAutoCheck"), settings.QueryForAutoCheck);
    ini.WriteBool(kAutoUpdate, QStringLiteral("AutoCheckEnabled"), settings.AutoCheckEnabled);
    ini.WriteInteger(kAutoUpdate, QStringLiteral("LastAutoCheckDate"), settings.LastAutoCheckDate);
    ini.WriteString(kAutoUpdate, QStringLiteral("VersionFileAddress"), settings.VersionFileAddress);
}

QString SettingsFilePath(const QString& programPath)
{
    QString besideProgram = ReplaceFileExtension(programPath, QStringLiteral(".ini"));
    // An installed copy keeps its settings per user even where its folder is writable
    // (root running /usr/bin/kestrova).
    if (!programPath.isEmpty() && !IsInstalledCopy(programPath) &&
        FolderIsWritable(QFileInfo(besideProgram).absolutePath()))
        return besideProgram;
    // Exact text: README and the manual page tell users where their settings file is;
    // the manual test checks the page names this path.
    return UserConfigFolder() + QStringLiteral("/kestrova/kestrova.ini");
}

void LoadSettings(const QString& settingsPath, TWindowGeometry& window, TProgramSettings& settings)
{
    const TIniFile ini(settingsPath);
    PreparePasswordKeeper(ini, settingsPath, settings.Passwords);
    ReadSettings(ini, window, settings.Settings, settings.Accounts, settings.IPDiscovery,
                 &settings.Passwords);
    ReadAutoUpdateSettings(ini, settings.AutoUpdate);
}

void SaveSettings(const QString& settingsPath, const TWindowGeometry& window, TProgramSettings& settings)
{
    TIniFile ini(settingsPath);
    const QStringList goneKeys = WriteSettings(ini, window, settings.Settings, settings.Accounts,
                                               settings.IPDiscovery, &settings.Passwords);
    WriteAutoUpdateSettings(ini, settings.AutoUpdate);
    CreateFolderFor(settingsPath);
    ini.UpdateFile();
    settings.Passwords.Remove(goneKeys);
}

void LoadProfile(const QString& profilePath, TWindowGeometry& window, TProgramSettings& settings)
{
    const TIniFile ini(profilePath);
    // A copy of a settings file may name keyring entries; they are read, never removed.
    ReadSettings(ini, window, settings.Settings, settings.Accounts, settings.IPDiscovery,
                 &settings.Passwords);
}

void SaveProfile(const QString& profilePath, const TWindowGeometry& window, const TProgramSettings& settings)
{
    TIniFile ini(profilePath);
    WriteSettings(ini, window, settings.Settings, settings.Accounts, settings.IPDiscovery);
    ini.UpdateFile();
}

void SaveAccountsNow(const QString& settingsPath, TProgramSettings& settings)
{
    TIniFile ini(settingsPath);
    const QStringList goneKeys = SaveAccounts(ini, settings.Accounts, &settings.Passwords);
    CreateFolderFor(settingsPath);
    ini.UpdateFile();
    settings.Passwords.Remove(goneKeys);
}

int ImportLegacyAccounts(const QString& settingsPath, TProgramSettings& settings)
{
    return ImportLegacyAccountFile(LegacyAccountFilePath(settingsPath), settings.Accounts,
                                   [&settingsPath, &settings] { SaveAccountsNow(settingsPath, settings); });
}
