#pragma once

#include "app/Commands.h"

#include <QList>
#include <QObject>
#include <functional>
#include <memory>

class QDialog;
class TMainWindow;
class TOnlineVersionCheck;
class TResultFileOperations;

// The main window's commands whose windows live in src/dialogs and src/update, and
// the file operations on the found files:
//   "Show Search &Log", "Show Working &Threads"   the two monitoring windows;
//   "&About"                                       the About box;
//   "Check For Updates &Now", "&Autocheck For Updates" and the start-up check;
//   "&Copy", "&Move", "&Delete", "&Rename", "&Properties", "&Map Network Drive"
//   (pop-up menu and main menu) and "&Unmap Network Drive".
// One lives as a child of the window (InstallViewCommands); tests find it with
// window.findChild<TViewCommands*>() to replace the modal parts. Main thread only.
class TViewCommands : public QObject {
    Q_OBJECT
public:
    // Runs a modal window (the About box, the properties); tests look at it instead.
    using DialogRunner = std::function<void(QDialog& dialog)>;

    explicit TViewCommands(TMainWindow& window);
    ~TViewCommands() override;

    TOnlineVersionCheck& versionCheck() { return *m_versionCheck; }
    TResultFileOperations& fileOperations() { return *m_fileOperations; }

    // Points the version check at another version file (the settings' address; tests:
    // a server on a loopback address) and names the missing source in the menu when
    // empty. The check's replaceable parts start afresh.
    void setVersionFileAddress(const QString& address);
    void setDialogRunner(DialogRunner runner);

    // The records of the rows selected in the results view: their items() indices, ascending.
    QList<int> selectedRows() const;

    // The version check's two start-up steps: the one-time question whether to check
    // automatically, then the automatic check when it is due. Runs by itself once,
    // right after the window first appeared.
    void runStartupChecks();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void install();
    void setHandler(TCommand command, const std::function<void()>& handler);

    TMainWindow& m_window;
    std::unique_ptr<TOnlineVersionCheck> m_versionCheck;
    std::unique_ptr<TResultFileOperations> m_fileOperations;
    DialogRunner m_runDialog;
    bool m_startupDone = false;
};

// Installs the commands above on the window (call once, from its constructor).
TViewCommands& InstallViewCommands(TMainWindow& window);
