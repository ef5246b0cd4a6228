#include "app/DialogCommands.h"

#include "app/MainWindow.h"
#include "app/ShellFunctions.h"
#include "dialogs/AccountsManagementForm.h"
#include "dialogs/ConfigForm.h"
#include "dialogs/SearchScopeForm.h"
#include "dialogs/TextOptionsForm.h"
#include "platform/MulticastHostDiscovery.h"
#include "platform/SmbNetworkBrowser.h"

void InstallDialogCommands(TMainWindow& window, std::shared_ptr<NetworkBrowser> browser)
{
    TMainWindow* owner = &window;
    // One browser serves every use of the scope browser; it is made at the first use,
    // so a window that never opens the scope browser starts no browse agent.
    auto sharedBrowser = std::make_shared<std::shared_ptr<NetworkBrowser>>(std::move(browser));
    window.setCommandHandler(TCommand::SearchScope, [owner, sharedBrowser] {
        if (!*sharedBrowser)
            *sharedBrowser = std::make_shared<SmbNetworkBrowser>();
        if (TSearchScopeForm::Execute(owner, *sharedBrowser, std::make_shared<MulticastHostDiscovery>()))
            owner->updateScopePanel();
    });
    window.setCommandHandler(TCommand::Config, [owner] {
        if (TConfigForm::Execute(owner, [] { OpenManual(); }))
            owner->applyViewSettings();
    });
    window.setCommandHandler(TCommand::TextSearchOptions, [owner] { TTextOptionsForm::Execute(owner); });
    window.setCommandHandler(TCommand::PasswordManagement,
                             [owner] { TAccountsManagementForm::Execute(owner); });
}
