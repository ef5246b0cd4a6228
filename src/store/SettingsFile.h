#pragma once

#include "accounts/AccountList.h"
#include "accounts/PasswordKeeper.h"
#include "model/DiscoverySettings.h"
#include "store/Settings.h"

#include <QString>
#include <cstdint>

class TIniFile;
class TWindowGeometry;

// The update checker's state, section "AutoUpdate". It is kept in the settings file
// only, never in a profile.
struct TAutoUpdateSettings {
    bool QueryForAutoCheck = true; // the first-start question is still to be asked
    bool AutoCheckEnabled = false;
    int32_t LastAutoCheckDate = 0; // whole days since 1899-12-30 (local date)
    // The published version file's address ("VersionFileAddress"); empty: no update
    // source, so no check and no first-start question.
    QString VersionFileAddress;

    friend bool operator==(const TAutoUpdateSettings&, const TAutoUpdateSettings&) = default;
};

// What the settings file holds. The program has one, owned by the main window and
// passed to what shows or changes it (dialogs, commands, the search start); a search
// works on copies taken when it starts, never on these.
struct TProgramSettings {
    TSettings Settings;
    TAccountList Accounts;
    TIPDiscoverySettings IPDiscovery;
    TAutoUpdateSettings AutoUpdate;
    TPasswordKeeper Passwords; // where the accounts' passwords are kept (keyring or file)
};

// LastAutoCheckDate defaults to today.
void ReadAutoUpdateSettings(const TIniFile& ini, TAutoUpdateSettings& settings);
void WriteAutoUpdateSettings(TIniFile& ini, const TAutoUpdateSettings& settings);

// Where the settings live: the program's path with ".ini" when the program's folder
// is writable and the program is no installed copy (IsInstalledCopy: a build tree or
// a portable copy keeps its settings beside it); otherwise
// $XDG_CONFIG_HOME/kestrova/kestrova.ini, or ~/.config/kestrova/kestrova.ini when that
// variable is unset or not an absolute path, so an installed program keeps its
// settings too.
QString SettingsFilePath(const QString& programPath);

// Whether the settings file lies below the user's config folder (an installed
// program's file), not beside the program (a portable copy).
bool InUserConfigFolder(const QString& settingsPath);

// Sets keeper up for a settings file: the desktop's keyring as its vault unless it
// has one, the file's store id, and the store the file records ("PasswordStore");
// a file that records none gets the keyring when it lies in the user's config folder
// and the keyring answers, else the settings file as before.
void PreparePasswordKeeper(const TIniFile& ini, const QString& settingsPath, TPasswordKeeper& keeper);

// At main window creation: the settings file's settings (ReadSettings, passwords
// through settings.Passwords after PreparePasswordKeeper), then its "AutoUpdate"
// section. A missing file gives the defaults. Read errors raise EKestrovaError.
void LoadSettings(const QString& settingsPath, TWindowGeometry& window, TProgramSettings& settings);
// At main window destruction: WriteSettings and the "AutoUpdate" section into the
// file, which is then replaced atomically (its folder is created when missing);
// keyring entries the file no longer names are removed afterwards.
void SaveSettings(const QString& settingsPath, const TWindowGeometry& window, TProgramSettings& settings);

// Writes the accounts into the settings file's "Accounts" section at once, through
// settings.Passwords, the same way SaveSettings does; used by imports and by the
// move of the passwords between the stores.
void SaveAccountsNow(const QString& settingsPath, TProgramSettings& settings);

// "Load Profile" / "Save Profile": the same without the "AutoUpdate" section; a
// profile's passwords are written into it, never into the keyring. Errors
// raise EKestrovaError; a profile read halfway keeps what was read.
void LoadProfile(const QString& profilePath, TWindowGeometry& window, TProgramSettings& settings);
void SaveProfile(const QString& profilePath, const TWindowGeometry& window, const TProgramSettings& settings);

// Takes over the legacy account file beside the settings file (LegacyAccountFilePath)
// into settings.Accounts, once, right after LoadSettings. The accounts are written into the
// settings file's "Accounts" section before the legacy file is deleted, so a crash
// before the program's exit cannot lose them. Returns the number imported; raises
// EKestrovaError when the legacy file or the settings file cannot be read or written.
int ImportLegacyAccounts(const QString& settingsPath, TProgramSettings& settings);
