#include "dialogs/AccountsManagementForm.h"

#include "accounts/AccountList.h"
#include "accounts/PasswordKeeper.h"
#include "dialogs/AccountListModel.h"
#include "dialogs/AccountsImportForm.h"
#include "dialogs/AddAccountForm.h"
#include "dialogs/PasswordStorePanel.h"
#include "model/ScopeEntry.h"
#include "store/SettingsFile.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>

namespace {

QPushButton* AddButton(QVBoxLayout* column, const QString& caption, const QString& name, QWidget* parent)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    column->addWidget(button);
    return button;
}

} // namespace

TAccountsManagementForm::TAccountsManagementForm(TAccountList& accounts, QWidget* parent,
                                                 TPasswordKeeper* keeper, std::function<void()> persist)
    : QDialog(parent), m_accounts(accounts), m_model(new TAccountListModel(accounts, this)),
      m_list(new QTreeView(this))
{
    // Exact text: the dialog command tests find the dialog by its title.
    setWindowTitle(QStringLiteral("Password Management"));
    m_list->setObjectName(QStringLiteral("lvAccounts"));
    m_list->setModel(m_model);
    m_list->setRootIsDecorated(false);
    m_list->setItemsExpandable(false);
    m_list->setUniformRowHeights(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->header()->setStretchLastSection(true);
    m_list->header()->resizeSection(0, 200);
    m_list->header()->resizeSection(1, 140);
    connect(m_list, &QTreeView::doubleClicked, this, &TAccountsManagementForm::editAccount);

    auto* buttons = new QVBoxLayout;
    connect(AddButton(buttons, QStringLiteral("&Add"), QStringLiteral("addButton"), this),
            &QPushButton::clicked, this, &TAccountsManagementForm::addAccount);
    connect(AddButton(buttons, QStringLiteral("&Edit"), QStringLiteral("editButton"), this),
            &QPushButton::clicked, this, &TAccountsManagementForm::editAccount);
    connect(AddButton(buttons, QStringLiteral("&Delete"), QStringLiteral("deleteButton"), this),
            &QPushButton::clicked, this, &TAccountsManagementForm::deleteAccount);
    connect(AddButton(buttons, QStringLiteral("&Import ..."), QStringLiteral("importButton"), this),
            &QPushButton::clicked, this, &TAccountsManagementForm::importAccounts);
    buttons->addStretch();
    // OK and Cancel both only close: every change is already in the list.
    auto* ok = AddButton(buttons, QStringLiteral("&OK"), QStringLiteral("okButton"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(AddButton(buttons, QStringLiteral("&Cancel"), QStringLiteral("cancelButton"), this),
            &QPushButton::clicked, this, &QDialog::reject);

    auto* listAndStore = new QVBoxLayout;
    listAndStore->addWidget(m_list, 1);
    if (keeper) {
        m_storePanel = new TPasswordStorePanel(*keeper, std::move(persist), this);
        connect(m_storePanel, &TPasswordStorePanel::moved, this, &TAccountsManagementForm::refresh);
        listAndStore->addWidget(m_storePanel);
    }
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(listAndStore, 1);
    layout->addLayout(buttons);
    resize(620, 320);
    refresh();
}

TAccountsManagementForm::~TAccountsManagementForm() = default;

void TAccountsManagementForm::Execute(QWidget* parent, TAccountList& accounts, TPasswordKeeper* keeper,
                                      std::function<void()> persist)
{
    TAccountsManagementForm form(accounts, parent, keeper, std::move(persist));
    form.exec();
}

int TAccountsManagementForm::selectedIndex() const
{
    const QModelIndexList rows = m_list->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void TAccountsManagementForm::selectIndex(int index)
{
    if (index < 0 || index >= m_model->rowCount()) {
        m_list->selectionModel()->clearSelection();
        return;
    }
    const QModelIndex row = m_model->index(index, 0);
    m_list->selectionModel()->setCurrentIndex(row, QItemSelectionModel::ClearAndSelect |
                                                       QItemSelectionModel::Rows);
}

void TAccountsManagementForm::addAccount()
{
    TAddAccountForm form(this);
    if (form.exec() != QDialog::Accepted)
        return;
    TUnicodeAccount account = form.account();
    account.Computer = WithUncPrefix(account.Computer);
    const int index = m_accounts.Add(account);
    refresh();
    selectIndex(index);
}

void TAccountsManagementForm::editAccount()
{
    const int index = selectedIndex();
    if (index < 0 || index >= m_accounts.Count())
        return;
    TAddAccountForm form(this);
    form.setAccount(m_accounts.Get(index));
    if (form.exec() != QDialog::Accepted)
        return;
    // An edited computer name is stored as typed, without the UNC prefix rule.
    m_accounts.Set(index, form.account());
    refresh();
    selectIndex(index);
}

void TAccountsManagementForm::deleteAccount()
{
    const int index = selectedIndex();
    if (index < 0 || index >= m_accounts.Count())
        return;
    m_accounts.Delete(index);
    refresh();
}

void TAccountsManagementForm::importAccounts()
{
    TAccountsImportForm form(this);
    if (form.exec() != QDialog::Accepted)
        return;
    m_accounts.Append(form.accounts());
    refresh();
}

void TAccountsManagementForm::refresh()
{
    m_model->refresh();
    if (m_storePanel) {
        const QList<TUnicodeAccount> stored = m_accounts.Stored();
        m_storePanel->update(static_cast<int>(std::count_if(
            stored.begin(), stored.end(), [](const auto& account) { return account.passwordMissing(); })));
    }
}
