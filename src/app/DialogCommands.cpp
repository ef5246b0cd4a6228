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
        const std::chrono::milliseconds listening(owner->settings().IPDiscovery.DiscoveryWindow.load());
        if (TSearchScopeForm::Execute(owner, *sharedBrowser, owner->scopeRoot(),
                                      std::make_shared<MulticastHostDiscovery>(), listening))
            owner->updateScopePanel();
    });
    window.setCommandHandler(TCommand::Config, [owner] {
        TProgramSettings& settings = owner->settings();
        if (TConfigForm::Execute(owner, settings.Settings, settings.IPDiscovery, [] { OpenManual(); }))
            owner->applyViewSettings();
    });
    window.setCommandHandler(TCommand::TextSearchOptions, [owner] {
        if (TTextOptionsForm::Execute(owner, owner->settings().Settings))
            owner->applyViewSettings(); // the match column follows "Search inside documents"
    });
    window.setCommandHandler(TCommand::PasswordManagement, [owner] {
        TProgramSettings& settings = owner->settings();
        TAccountsManagementForm::Execute(owner, settings.Accounts, &settings.Passwords, [owner] {
            SaveAccountsNow(owner->settingsPath(), owner->settings());
        });
    });
}
