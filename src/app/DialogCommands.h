#pragma once

#include <memory>

class NetworkBrowser;
class TMainWindow;

// Gives the main window the commands that open the option and account dialogs:
// "Search Scope", "Options", "Text Search Options" and "Password Management". Each
// dialog is made for one use, modal over the window, and edits the window's state
// that the next search reads (its scope root and TProgramSettings);
// what the window shows of it follows at once: the scope panel after the scope
// browser, the content bar, grid lines, display formats and column layout after
// Options. The accounts and settings reach the settings file when the window goes.
//
// browser lists the network for the scope browser; without one an SMB browser is
// made at the first use and kept for the next.
void InstallDialogCommands(TMainWindow& window, std::shared_ptr<NetworkBrowser> browser = nullptr);
