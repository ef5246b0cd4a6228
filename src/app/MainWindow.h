#pragma once

#include "app/Commands.h"
#include "app/IconCache.h"
#include "engine/ScopeRoot.h"
#include "model/ItemRecord.h"
#include "store/SettingsFile.h"
#include "store/WindowGeometry.h"

#include <QHash>
#include <QMainWindow>
#include <QTimer>
#include <functional>
#include <memory>

class QComboBox;
class QLabel;
class QSystemTrayIcon;
class QToolBar;
class QToolButton;
class TResultsFilterBox;
class TResultsModel;
class TResultsView;
class TSearchControl;
class TSearchEngineLink;

// The main window: three tool bars (commands; "Search files" with the Start/Stop
// button; " With content", shown only while content search is on), the results
// list, six status panels, the menus and every command with its availability rule,
// the 1000 ms thread counter, the notification-area icon, and the settings file read
// at creation and written at destruction. Main thread only.
class TMainWindow : public QMainWindow, public TWindowGeometry {
    Q_OBJECT
public:
    struct Options {
        QString settingsPath;                // the settings file (SettingsFilePath)
        TSearchEngineLink* engine = nullptr; // runs the searches; not owned, outlives the window
    };

    // FormCreate: builds the window, loads the settings (and the legacy account file)
    // and shows "Ready". The window is not shown.
    explicit TMainWindow(const Options& options, QWidget* parent = nullptr);
    // FormDestroy: saves the settings; the result list goes with the window's model.
    ~TMainWindow() override;

    // The engine that runs the searches (null: none, every start is refused). Not
    // owned; it must outlive every search it started.
    void setSearchEngine(TSearchEngineLink* engine);

    // The program's settings (read at creation, written at destruction) and the root
    // the scope browser chose: what the dialogs change and the next search copies.
    TProgramSettings& settings() { return m_settings; }
    TScopeRoot& scopeRoot() { return m_scopeRoot; }
    const QString& settingsPath() const { return m_settingsPath; }

    QAction* action(TCommand command) const { return m_actions.value(command); }
    QComboBox* maskBox() const { return m_maskBox; }
    QComboBox* textBox() const { return m_textBox; }
    QToolBar* contentToolBar() const { return m_contentBar; }
    TResultsView* resultsView() const { return m_view; }
    TResultsFilterBox* filterBox() const { return m_filterBox; }
    TResultsModel& resultsModel() const { return *m_model; }
    TSearchControl& searchControl() const { return *m_search; }
    TIconCache& iconCache() { return m_iconCache; }
    // The records the results view shows (the model owns and changes them).
    const TItemList& resultList() const;

    QString statusText() const;
    QString panelText(int panel) const;
    void setStatusText(const QString& text);

    // Content tool bar, grid lines, display formats, scope panel (after the settings
    // were read or the options changed).
    void applyViewSettings();
    void updateScopePanel();
    // Enables each command by its rule; runs on a short timer and on state changes.
    void updateCommandAvailability();

    // Replaces the handler of a command whose own window is built elsewhere.
    void setCommandHandler(TCommand command, const std::function<void()>& handler);
    bool hasCommandHandler(TCommand command) const;
    // Whether the command's action runs a handler (the rest act on their own).
    static bool RunsThroughHandler(TCommand command);

    // Hides the window into the notification area (MinToTray) and back.
    void minimizeToTray();
    void restoreFromTray();
    bool trayIconVisible() const;

    // TWindowGeometry, for the settings file.
    bool IsMaximized() const override;
    void Maximize() override;
    TWindowBounds Bounds() const override;
    void SetBounds(const TWindowBounds& bounds) override;
    QSize ScreenSize() const override;

Q_SIGNALS:
    // The search has ended and the idle state is back (the command line's exports hook in).
    void searchEnded();
    // The window accepted a close and is about to go (the program ends then).
    void closing();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void createActions();
    void createMenus();
    void createToolBars();
    void createStatusBar();
    void createTrayIcon();
    void loadSettings();
    void saveSettings();
    void applyHistoriesFromSettings();
    void runCommand(TCommand command);
    void threadCounterTimer();

    void installBuiltInCommands();
    void showNotAvailable(TCommand command);
    void loadProfile();
    void saveProfile();
    void openSelected(bool folder);
    void shortcutToDesktop();

    QString m_settingsPath;
    TProgramSettings m_settings;
    TScopeRoot m_scopeRoot;
    TSearchEngineLink* m_engine;
    TIconCache m_iconCache;
    TResultsModel* m_model = nullptr;
    TResultsView* m_view = nullptr;
    TResultsFilterBox* m_filterBox = nullptr;
    TSearchControl* m_search = nullptr;
    QHash<TCommand, QAction*> m_actions;
    QHash<TCommand, std::function<void()>> m_handlers;
    QToolBar* m_commandBar = nullptr;
    QToolBar* m_searchBar = nullptr;
    QToolBar* m_contentBar = nullptr;
    QComboBox* m_maskBox = nullptr;
    QComboBox* m_textBox = nullptr;
    QToolButton* m_startButton = nullptr;
    QLabel* m_panels[6] = {};
    QSystemTrayIcon* m_trayIcon = nullptr;
    QTimer m_threadCounter;
    QTimer m_idleTimer;
    // A close was confirmed during a search: the window closes once the search ended.
    bool m_closeRequested = false;
};
