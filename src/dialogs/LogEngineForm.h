#pragma once

#include "dialogs/LogCopyModel.h"
#include "dialogs/ToolWindow.h"

#include <functional>

class QPushButton;
class QTreeView;

// "Search Log": the search log as a list with an icon per kind, kept current from the
// window's own copy of the log (see TLogCopyModel), and saved as a text file with
// "&Save". Showing the window copies the whole log afresh. The copy follows the log's
// change notices (a burst of lines costs a few updates); whoever switches the source
// to another search's log calls synchronize(). Main thread only.
class TLogEngineForm : public TToolWindow {
    Q_OBJECT
public:
    // Asks where to save; an empty name cancels. The standard one is the program's
    // save dialog (FileDialogs(): ".txt" added, an existing file replaced only after
    // the user confirmed it).
    using SaveNameRequester = std::function<QString(QWidget* owner)>;

    explicit TLogEngineForm(TEngineSearchLog& log, QWidget* parent = nullptr);
    // Follows whatever log the source gives (the running or last search's).
    explicit TLogEngineForm(TLogCopyModel::LogSource source, QWidget* parent = nullptr);

    void setSaveNameRequester(SaveNameRequester requester) { m_requestSaveName = std::move(requester); }

    // The "&Save" button: nothing for an empty list; otherwise asks for a name and
    // writes the shown lines. A failure shows "Unable to save the file (%s)".
    void save();
    // Brings the list up to date (new lines, or the source's new log), keeping the
    // newest line in view while the user looks at the end of the list.
    void synchronize();

    TLogCopyModel& model() { return m_model; }
    QTreeView* listView() const { return m_list; }
    QPushButton* saveButton() const { return m_saveButton; }
    QPushButton* closeButton() const { return m_closeButton; }

    static QString DefaultSaveName(QWidget* owner);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void setUp();

    TLogCopyModel m_model;
    QTreeView* m_list = nullptr;
    QPushButton* m_saveButton = nullptr;
    QPushButton* m_closeButton = nullptr;
    SaveNameRequester m_requestSaveName = DefaultSaveName;
};

// Entry point of the main window's "Show Search &Log" action (connect it to
// QAction::triggered); as ToggleThreadView, over the log the source gives.
TLogEngineForm* ToggleLogView(QAction* action, QWidget* mainWindow, TLogCopyModel::LogSource source);
