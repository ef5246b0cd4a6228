#include "app/Commands.h"

#include <stdexcept>
#include <vector>

namespace {

using C = TCommand;
using A = TAvailability;

enum class Hint { FromCaption, None };

struct Entry {
    TCommand command;
    const char* name;
    const char* caption;
    QKeySequence shortcut;
    TAvailability rule;
    Hint hintKind;
    const char* explicitHint; // overrides the caption's hint when set
    const char* iconName;
    bool checkable;
    bool fileOperation;
};

// Exact text: the captions and hints in this table are the menu and toolbar texts
// users know; the command and main window tests find actions by them.
// One line per command reads as the table it is.
// clang-format off
const Entry kEntries[] = {
    {C::ClearResults, "ActionCommandClearResults", "&Clear Results", {}, A::Always, Hint::FromCaption, nullptr, "edit-clear", false, false},
    {C::LoadResults, "ActionCommandLoadResults", "&Load Results ...", Qt::Key_F3, A::SearchInactive, Hint::FromCaption, nullptr, "document-open", false, false},
    {C::SaveResults, "ActionCommandSaveResults", "&Save Results ...", Qt::Key_F2, A::SearchInactiveDataPresent, Hint::FromCaption, nullptr, "document-save", false, false},
    {C::Export, "ActionCommandExport", "Export ...", {}, A::SearchInactiveDataPresent, Hint::FromCaption, "Export to CSV, XML or HTML", "document-save-as", false, false},
    {C::CreateBatchFile, "ActionCommandCreateBatchFile", "Create &Batch File ...", {}, A::SearchInactiveDataPresent, Hint::FromCaption, nullptr, "text-x-script", false, false},
    {C::Find, "ActionCommandFind", "&Find In Table", QKeySequence(Qt::CTRL | Qt::Key_F), A::DataPresent, Hint::FromCaption, nullptr, "edit-find", false, false},
    {C::Search, "ActionCommandSearch", "&Start Search", Qt::Key_F5, A::Always, Hint::FromCaption, nullptr, "media-playback-start", false, false},
    {C::SearchScope, "ActionCommandSearchScope", "Search &Scope", {}, A::SearchInactive, Hint::FromCaption, nullptr, "network-workgroup", false, false},
    {C::Config, "ActionCommandConfig", "&Options", QKeySequence(Qt::CTRL | Qt::Key_O), A::Always, Hint::FromCaption, nullptr, "preferences-system", false, false},
    {C::TextSearchOptions, "ActionCommandTextSearchOptions", "Text Search Options", {}, A::Always, Hint::FromCaption, nullptr, "preferences-desktop-font", false, false},
    {C::PasswordManagement, "ActionCommandPasswordManagement", "Password Management", QKeySequence(Qt::CTRL | Qt::Key_P), A::Always, Hint::FromCaption, nullptr, "dialog-password", false, false},
    {C::MapDrive, "ActionCommandMapDrive", "&Map Network Drive", {}, A::Always, Hint::FromCaption, nullptr, "folder-remote", false, false},
    {C::UnmapDrive, "ActionCommandUnmapDrive", "&Unmap Network Drive", {}, A::Always, Hint::FromCaption, nullptr, "media-eject", false, false},
    {C::LoadProfile, "ActionLoadProfile", "&Load Profile", {}, A::Always, Hint::None, nullptr, "", false, false},
    {C::SaveProfile, "ActionSaveProfile", "&Save Profile", {}, A::Always, Hint::None, nullptr, "", false, false},
    {C::ViewShowLog, "ActionViewShowLog", "Show Search &Log", {}, A::Always, Hint::FromCaption, nullptr, "", true, false},
    {C::ViewShowThreads, "ActionViewShowThreads", "Show Working &Threads", {}, A::Always, Hint::FromCaption, nullptr, "", true, false},
    {C::ViewShowHosts, "ActionViewShowHosts", "Show &Hosts", {}, A::Always, Hint::FromCaption, nullptr, "", true, false},
    {C::Help, "ActionCommandHelp", "&Help", Qt::Key_F1, A::Always, Hint::FromCaption, "Display Help", "help-browser", false, false},
    {C::About, "ActionCommandAbout", "&About", {}, A::Always, Hint::FromCaption, nullptr, "help-about", false, false},
    {C::Homepage, "ActionCommandHomepage", "&Kestrova Homepage", {}, A::Always, Hint::FromCaption, nullptr, "go-home", false, false},
    {C::Email, "ActionCommandEmail", "&Contact Us", {}, A::Always, Hint::FromCaption, nullptr, "mail-send", false, false},
    {C::AutoCheckEnabled, "ActionAutoCheckEnabled", "&Autocheck For Updates", {}, A::Always, Hint::None, nullptr, "", true, false},
    {C::CheckNow, "ActionCheckNow", "Check For Updates &Now", {}, A::Always, Hint::None, nullptr, "", false, false},
    {C::Exit, "ActionCommandExit", "Exit", QKeySequence(Qt::CTRL | Qt::Key_Q), A::Always, Hint::FromCaption, "Exit Application", "application-exit", false, false},
    {C::Open, "ActionOpen", "&Open", {}, A::Selected, Hint::FromCaption, nullptr, "", false, false},
    {C::Copy, "ActionCopy", "&Copy", {}, A::Selected, Hint::FromCaption, nullptr, "", false, true},
    {C::Move, "ActionMove", "&Move", {}, A::Selected, Hint::FromCaption, nullptr, "", false, true},
    {C::OpenFolder, "ActionOpenFolder", "Open &Folder", {}, A::Selected, Hint::FromCaption, nullptr, "", false, true},
    {C::Delete, "ActionDelete", "&Delete", Qt::Key_Delete, A::Selected, Hint::FromCaption, nullptr, "", false, true},
    {C::Rename, "ActionRename", "&Rename", {}, A::Selected, Hint::FromCaption, nullptr, "", false, true},
    {C::CopyFullName, "ActionCopyFullName", "<empty>", {}, A::Selected, Hint::None, nullptr, "", false, false},
    {C::CopyFileName, "ActionCopyFileName", "<empty>", {}, A::Selected, Hint::None, nullptr, "", false, false},
    {C::CopyFilePath, "ActionCopyFilePath", "<empty>", {}, A::Selected, Hint::None, nullptr, "", false, false},
    {C::CopyFileDrive, "ActionCopyFileDrive", "<empty>", {}, A::Selected, Hint::None, nullptr, "", false, false},
    {C::CopyUrl, "ActionCopyUrl", "<empty>", {}, A::Selected, Hint::None, nullptr, "", false, false},
    {C::ShortcutToDesktop, "ActionShortcutToDesktop", "&Shortcut to Desktop", {}, A::Selected, Hint::FromCaption, nullptr, "", false, true},
    {C::Properties, "ActionProperties", "&Properties", {}, A::Selected, Hint::FromCaption, nullptr, "", false, true},
    {C::MapDriveForFile, "ActionMapDriveForFile", "&Map Network Drive", {}, A::Selected, Hint::FromCaption, nullptr, "", false, true},
};
// clang-format on

std::vector<TCommandSpec> BuildTable()
{
    std::vector<TCommandSpec> table;
    for (const Entry& entry : kEntries) {
        TCommandSpec spec;
        spec.command = entry.command;
        spec.name = entry.name;
        spec.caption = QString::fromUtf8(entry.caption);
        spec.shortcut = entry.shortcut;
        spec.rule = entry.rule;
        if (entry.hintKind == Hint::FromCaption)
            spec.hint =
                entry.explicitHint ? QString::fromUtf8(entry.explicitHint) : HintFromCaption(spec.caption);
        spec.iconName = QString::fromUtf8(entry.iconName);
        spec.checkable = entry.checkable;
        spec.fileOperation = entry.fileOperation;
        table.push_back(spec);
    }
    return table;
}

const std::vector<TCommandSpec>& Table()
{
    static const std::vector<TCommandSpec> table = BuildTable();
    return table;
}

} // namespace

std::span<const TCommandSpec> CommandTable()
{
    return Table();
}

const TCommandSpec& CommandSpec(TCommand command)
{
    for (const TCommandSpec& spec : Table()) {
        if (spec.command == command)
            return spec;
    }
    throw std::logic_error("command missing from the table");
}

// Exact text: hints are the captions without "&" and " ..."; the command tests
// compare them.
QString HintFromCaption(const QString& caption)
{
    QString hint = caption;
    hint.remove(u'&');
    if (hint.endsWith(u" ..."))
        hint.chop(4);
    return hint;
}

bool IsCommandAvailable(const TCommandSpec& spec, const TAvailabilityState& state)
{
    switch (spec.rule) {
    case TAvailability::Always:
        return true;
    case TAvailability::DataPresent:
        return state.dataPresent;
    case TAvailability::SearchInactive:
        return !state.searchRunning;
    case TAvailability::SearchInactiveDataPresent:
        return !state.searchRunning && state.dataPresent;
    case TAvailability::Selected:
        return state.rowSelected && !(spec.fileOperation && state.firstSelectedIsFtp);
    }
    return false;
}
