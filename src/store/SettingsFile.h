#pragma once

#include <QString>
#include <cstdint>

class TIniFile;
class TWindowGeometry;

// The update checker's state, section "AutoUpdate". It is kept in the settings file
// only, never in a profile. The process-wide instance is AutoUpdateSettings.
struct TAutoUpdateSettings {
    bool QueryForAutoCheck = true; // the first-start question is still to be asked
    bool AutoCheckEnabled = false;
    int32_t LastAutoCheckDate = 0; // whole days since 1899-12-30 (local date)

    friend bool operator==(const TAutoUpdateSettings&, const TAutoUpdateSettings&) = default;
};

extern TAutoUpdateSettings AutoUpdateSettings;

// LastAutoCheckDate defaults to today.
void ReadAutoUpdateSettings(const TIniFile& ini, TAutoUpdateSettings& settings);
void WriteAutoUpdateSettings(TIniFile& ini, const TAutoUpdateSettings& settings);

// Where the settings live: the program's path with ".ini" when the program's folder
// is writable (a portable copy keeps its settings beside it); otherwise
// $XDG_CONFIG_HOME/kestrova/kestrova.ini, or ~/.config/kestrova/kestrova.ini when that
// variable is unset or not an absolute path, so an installed program keeps its
// settings too.
QString SettingsFilePath(const QString& programPath);

// At main window creation: the settings file's settings (ReadSettings on the
// process-wide values), then its "AutoUpdate" section. A missing file gives the
// defaults. Read errors raise EKestrovaError.
void LoadSettings(const QString& settingsPath, TWindowGeometry& window);
// At main window destruction: WriteSettings and the "AutoUpdate" section into the
// file, which is then replaced atomically (its folder is created when missing).
void SaveSettings(const QString& settingsPath, const TWindowGeometry& window);

// "Load Profile" / "Save Profile": the same without the "AutoUpdate" section. Errors
// raise EKestrovaError; a profile read halfway keeps what was read.
void LoadProfile(const QString& profilePath, TWindowGeometry& window);
void SaveProfile(const QString& profilePath, const TWindowGeometry& window);

// Takes over the legacy account file beside the settings file (LegacyAccountFilePath)
// into AccountList, once, right after LoadSettings. The accounts are written into the
// settings file's "Accounts" section before the legacy file is deleted, so a crash
// before the program's exit cannot lose them. Returns the number imported; raises
// EKestrovaError when the legacy file or the settings file cannot be read or written.
int ImportLegacyAccounts(const QString& settingsPath);
