#pragma once

#include <QDialog>

class QTreeView;
class TAccountList;
class TAccountListModel;

// "Password Management": the stored accounts, one row each in list order, with Add,
// Edit, Delete and Import. Every change goes into the account list at once; OK and
// Cancel only close the window, so nothing is undone by Cancel.
//
// Entry point for the main window's "Password Management" command (Ctrl+P, available
// also while a search runs):  TAccountsManagementForm::Execute(this, accounts);
class TAccountsManagementForm : public QDialog {
    Q_OBJECT
public:
    explicit TAccountsManagementForm(TAccountList& accounts, QWidget* parent = nullptr);
    ~TAccountsManagementForm() override;

    // Shows the window modally over parent, working on accounts.
    static void Execute(QWidget* parent, TAccountList& accounts);

    // The selected row, or -1.
    int selectedIndex() const;
    void selectIndex(int index);
    QTreeView* listView() const { return m_list; }

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
};
