#pragma once

class QAction;
class TMainWindow;
class TResultsFilterBox;

// The keys beyond the command table's own, and the shortcuts shown in the menus:
// - the Start/Stop command answers F5 while no search runs (the table's key, so the
//   menu shows it) and Esc while one runs (the menu then shows Esc);
// - Delete acts only while the results list has the focus, so the key keeps its
//   meaning in the text boxes;
// - Ctrl+Shift+F focuses the filter box (Ctrl+F stays "&Find In Table");
// - the pop-up menu of the results shows the commands' shortcuts.
// Returns the filter box's action (Edit menu, "Filter Results").
QAction* InstallKeyCommands(TMainWindow& window, TResultsFilterBox& filterBox);
