#pragma once

#include <QKeySequence>
#include <QString>
#include <span>

// The commands of the main window and of the results view's pop-up menu: caption,
// shortcut, hint, availability rule and tool-bar picture. The main window makes one
// QAction per entry and re-evaluates the rules whenever the interface is idle.
enum class TCommand {
    ClearResults,
    LoadResults,
    SaveResults,
    Export,
    CreateBatchFile,
    Find,
    Search,
    SearchScope,
    Config,
    TextSearchOptions,
    PasswordManagement,
    MapDrive,
    UnmapDrive,
    LoadProfile,
    SaveProfile,
    ViewShowLog,
    ViewShowThreads,
    ViewShowHosts,
    Help,
    About,
    Homepage,
    Email,
    AutoCheckEnabled,
    CheckNow,
    Exit,
    // the results view's pop-up menu
    Open,
    Copy,
    Move,
    OpenFolder,
    Delete,
    Rename,
    CopyFullName,
    CopyFileName,
    CopyFilePath,
    CopyFileDrive,
    CopyUrl,
    ShortcutToDesktop,
    Properties,
    MapDriveForFile,
};

enum class TAvailability {
    Always,
    DataPresent,               // the result list holds at least one record
    SearchInactive,            // no search runs
    SearchInactiveDataPresent, // both
    Selected,                  // a row is selected (file operations: and it is no FTP hit)
};

struct TAvailabilityState {
    bool searchRunning = false;
    bool dataPresent = false;
    bool rowSelected = false;
    bool firstSelectedIsFtp = false;
};

struct TCommandSpec {
    TCommand command;
    const char* name; // object name of the action
    QString caption;
    QKeySequence shortcut;
    TAvailability rule;
    QString hint;     // empty: no hint
    QString iconName; // desktop theme icon of the tool bar, empty for none
    bool checkable = false;
    // File operations other than "&Open" are not offered for FTP hits.
    bool fileOperation = false;
};

std::span<const TCommandSpec> CommandTable();
const TCommandSpec& CommandSpec(TCommand command);

// A caption's hint: without "&" and without a trailing " ...".
QString HintFromCaption(const QString& caption);

bool IsCommandAvailable(const TCommandSpec& spec, const TAvailabilityState& state);
