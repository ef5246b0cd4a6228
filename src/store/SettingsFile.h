#pragma once

#include "accounts/AccountList.h"
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
};

// LastAutoCheckDate defaults to today.
void ReadAutoUpdateSettings(const TIniFile& ini, TAutoUpdateSettings& settings);
void WriteAutoUpdateSettings(TIniFile& ini, const TAutoUpdateSettings& settings);

// Where the settings live: the program's path with ".ini" when the program's folder
// is writable (a portable copy keeps its settings beside it); otherwise
// $XDG_CONFIG_HOME/kestrova/kestrova.ini, or ~/.config/kestrova/kestrova.ini when that
// variable is unset or not an absolute path, so an installed program keeps its
// settings too.
QString SettingsFilePath(const QString& programPath);

// At main window creation: the settings file's settings (ReadSettings), then its
// "AutoUpdate" section. A missing file gives the defaults. Read errors raise
// EKestrovaError.
void LoadSettings(const QString& settingsPath, TWindowGeometry& window, TProgramSettings& settings);
// At main window destruction: WriteSettings and the "AutoUpdate" section into the
// file, which is then replaced atomically (its folder is created when missing).
void SaveSettings(const QString& settingsPath, const TWindowGeometry& window,
                  const TProgramSettings& settings);

// "Load Profile" / "Save Profile": the same without the "AutoUpdate" section. Errors
// raise EKestrovaError; a profile read halfway keeps what was read.
void LoadProfile(const QString& profilePath, TWindowGeometry& window, TProgramSettings& settings);
void SaveProfile(const QString& profilePath, const TWindowGeometry& window, const TProgramSettings& settings);

// Takes over the legacy account file beside the settings file (LegacyAccountFilePath)
// into accounts, once, right after LoadSettings. The accounts are written into the
// settings file's "Accounts" section before the legacy file is deleted, so a crash
// before the program's exit cannot lose them. Returns the number imported; raises
// EKestrovaError when the legacy file or the settings file cannot be read or written.
int ImportLegacyAccounts(const QString& settingsPath, TAccountList& accounts);
