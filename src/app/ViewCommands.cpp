#include "app/ViewCommands.h"

#include "accounts/AccountList.h"
#include "app/MainWindow.h"
#include "app/ResultFileOperations.h"
#include "app/ResultsView.h"
#include "app/SearchControl.h"
#include "app/ShellFunctions.h"
#include "dialogs/AboutBox.h"
#include "dialogs/HostsViewForm.h"
#include "dialogs/LogEngineForm.h"
#include "dialogs/ThreadViewForm.h"
#include "engine/SearchSession.h"
#include "engine/ShareAccess.h"
#include "store/SettingsFile.h"
#include "update/OnlineVersionCheck.h"

#include <QAction>
#include <QDialog>
#include <QEvent>
#include <QTimer>
#include <algorithm>

namespace {

// Before the first operation on a share: the stored accounts whose computer mask
// matches, as a search would try them. An account list with a broken mask logs on
// with none (the operation then reports the share's own refusal).
void LogOnWithStoredAccounts(const TAccountList& list, ShareClient& client, const QString& sharePath)
{
    const QList<TUnicodeAccount> accounts = list.Snapshot();
    if (accounts.isEmpty())
        return;
    try {
        const TAccountMaskList masks = BuildAccountMasks({accounts.begin(), accounts.end()});
        QString userName;
        TShareAccess(client, masks, THiddenShareMode::CommonAndHidden).LogonTo(sharePath, userName);
    } catch (const std::exception&) {
        // no logon: see above
    }
}

} // namespace

TViewCommands::TViewCommands(TMainWindow& window)
    : QObject(&window), m_window(window), m_fileOperations(std::make_unique<TResultFileOperations>(
                                              window.resultsModel(), window.settings().Settings, &window))
{
    setObjectName(QStringLiteral("ViewCommands"));
    setVersionFileAddress(window.settings().AutoUpdate.VersionFileAddress);
    m_fileOperations->setLogonHook([&window](ShareClient& client, const QString& sharePath) {
        LogOnWithStoredAccounts(window.settings().Accounts, client, sharePath);
    });
    install();
    // The start-up check waits until the window has appeared: a run that never shows
    // it (unattended, without a display) asks nobody and checks nothing.
    m_window.installEventFilter(this);
}

TViewCommands::~TViewCommands() = default;

void TViewCommands::setVersionFileAddress(const QString& address)
{
    TAutoUpdateSettings& settings = m_window.settings().AutoUpdate;
    settings.VersionFileAddress = address;
    m_versionCheck = std::make_unique<TOnlineVersionCheck>(settings);
    m_versionCheck->setMainWindow(&m_window);
    // The item keeps its place (and its handler, which explains) without a source.
    QAction* checkNow = m_window.action(TCommand::CheckNow);
    checkNow->setText(m_versionCheck->hasSource() ? CommandSpec(TCommand::CheckNow).caption
                                                  : m_versionCheck->Texts.NoUpdateSourceItem);
}

void TViewCommands::setDialogRunner(DialogRunner runner)
{
    m_runDialog = runner;
    if (runner)
        m_fileOperations->setDialogRunner(std::move(runner));
    else
        m_fileOperations->setDialogRunner([](QDialog& dialog) { dialog.exec(); });
}

void TViewCommands::setHandler(TCommand command, const std::function<void()>& handler)
{
    m_window.setCommandHandler(command, handler);
}

void TViewCommands::install()
{
    QAction* showLog = m_window.action(TCommand::ViewShowLog);
    QAction* showThreads = m_window.action(TCommand::ViewShowThreads);
    // The views follow the search control's session: the running search's, or the last
    // one's. They refresh on their source's change notices; a new session is a change
    // of the source itself, which the control signals.
    TSearchControl* search = &m_window.searchControl();
    setHandler(TCommand::ViewShowLog, [this, showLog, search] {
        TLogEngineForm* form =
            ToggleLogView(showLog, &m_window, [search] { return SessionLog(search->session()); });
        if (form)
            connect(search, &TSearchControl::sessionChanged, form, &TLogEngineForm::synchronize,
                    Qt::UniqueConnection);
    });
    setHandler(TCommand::ViewShowThreads, [this, showThreads, search] {
        TThreadViewForm* form =
            ToggleThreadView(showThreads, &m_window, [search] { return SessionWorkers(search->session()); });
        if (form)
            connect(search, &TSearchControl::sessionChanged, form, &TThreadViewForm::refresh,
                    Qt::UniqueConnection);
    });

    QAction* showHosts = m_window.action(TCommand::ViewShowHosts);
    setHandler(TCommand::ViewShowHosts, [this, showHosts, search] {
        THostsViewForm* form = ToggleHostsView(
            showHosts, &m_window, [search] { return SessionProgress(search->session()); },
            [search] { return search->running(); });
        if (form) {
            connect(search, &TSearchControl::sessionChanged, form, &THostsViewForm::refresh,
                    Qt::UniqueConnection);
            connect(search, &TSearchControl::ended, form, &THostsViewForm::refresh, Qt::UniqueConnection);
        }
    });

    setHandler(TCommand::About, [this] { ShowAboutBox(VendorSiteUrl(), &m_window, m_runDialog); });
    setHandler(TCommand::CheckNow, [this] { m_versionCheck->CheckNow(false); });
    // The item toggles itself; the check follows its mark at once (the window takes
    // the mark into the settings file at exit).
    connect(m_window.action(TCommand::AutoCheckEnabled), &QAction::toggled, this,
            [this](bool checked) { m_window.settings().AutoUpdate.AutoCheckEnabled = checked; });

    TResultFileOperations& files = *m_fileOperations;
    setHandler(TCommand::Copy, [this, &files] { files.CopyFiles(selectedRows()); });
    setHandler(TCommand::Move, [this, &files] { files.MoveFiles(selectedRows()); });
    setHandler(TCommand::Delete, [this, &files] { files.DeleteFiles(selectedRows()); });
    setHandler(TCommand::Rename,
               [this, &files] { files.RenameFile(m_window.resultsView()->firstSelectedRow()); });
    setHandler(TCommand::Properties,
               [this, &files] { files.ShowProperties(m_window.resultsView()->firstSelectedRow()); });
    setHandler(TCommand::MapDriveForFile,
               [this, &files] { files.MapNetworkDrive(m_window.resultsView()->firstSelectedRow()); });
    setHandler(TCommand::MapDrive, [&files] { files.MapNetworkDrive(-1); });
    setHandler(TCommand::UnmapDrive, [&files] { files.UnmapNetworkDrive(); });
}

QList<int> TViewCommands::selectedRows() const
{
    return m_window.resultsView()->selectedItemRows();
}

void TViewCommands::runStartupChecks()
{
    m_startupDone = true;
    m_versionCheck->AskForAutoCheck(m_window.action(TCommand::AutoCheckEnabled));
    m_versionCheck->AutoCheck();
}

bool TViewCommands::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &m_window && event->type() == QEvent::Show && !m_startupDone) {
        m_startupDone = true;
        m_window.removeEventFilter(this);
        // After the window has painted and the show has finished.
        QTimer::singleShot(0, this, &TViewCommands::runStartupChecks);
    }
    return QObject::eventFilter(watched, event);
}

TViewCommands& InstallViewCommands(TMainWindow& window)
{
    return *new TViewCommands(window);
}
