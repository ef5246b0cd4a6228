#pragma once

#include <QDialog>
#include <functional>

class QTreeView;
class TAccountList;
class TAccountListModel;
class TPasswordKeeper;
class TPasswordStorePanel;

// "Password Management": the stored accounts, one row each in list order, with Add,
// Edit, Delete and Import. Every change goes into the account list at once; OK and
// Cancel only close the window, so nothing is undone by Cancel.
//
// With a keeper, a line under the list says where the passwords are kept and moves
// them to the other store (TPasswordStorePanel, persist saving the accounts); an
// account whose password is missing from the keyring says so in its row.
//
// Entry point for the main window's "Password Management" command (Ctrl+P, available
// also while a search runs):  TAccountsManagementForm::Execute(this, accounts);
class TAccountsManagementForm : public QDialog {
    Q_OBJECT
public:
    explicit TAccountsManagementForm(TAccountList& accounts, QWidget* parent = nullptr,
                                     TPasswordKeeper* keeper = nullptr, std::function<void()> persist = {});
    ~TAccountsManagementForm() override;

    // Shows the window modally over parent, working on accounts and keeper; persist
    // saves the settings file's accounts at once (a move between the stores).
    static void Execute(QWidget* parent, TAccountList& accounts, TPasswordKeeper* keeper,
                        std::function<void()> persist);

    // The selected row, or -1.
    int selectedIndex() const;
    void selectIndex(int index);
    QTreeView* listView() const { return m_list; }
    TPasswordStorePanel* storePanel() const { return m_storePanel; }

    void addAccount();
    void editAccount();
    void deleteAccount();
    void importAccounts();
    // Re-reads the row count and repaints.
    void refresh();

private:
    TAccountList& m_accounts;
    TAccountListModel* m_model;
    QTreeView* m_list;
    TPasswordStorePanel* m_storePanel = nullptr;
};
