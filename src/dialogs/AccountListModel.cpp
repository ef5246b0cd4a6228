#include "dialogs/AccountListModel.h"

#include "accounts/AccountList.h"
#include "dialogs/PasswordEdit.h"

#include <QApplication>
#include <QStyle>

TAccountListModel::TAccountListModel(TAccountList& accounts, QObject* parent)
    : QAbstractTableModel(parent), m_accounts(accounts), m_rows(accounts.Count()),
      m_icon(QApplication::style()->standardIcon(QStyle::SP_DriveNetIcon))
{
}

int TAccountListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int TAccountListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 3;
}

QVariant TAccountListModel::data(const QModelIndex& index, int role) const
{
    // The list may have shrunk since the last refresh (a row is painted between a
    // change and its refresh); such a row shows nothing.
    if (!index.isValid() || index.row() >= m_accounts.Count())
        return {};
    if (role == Qt::DecorationRole && index.column() == 0)
        return m_icon;
    if (role != Qt::DisplayRole)
        return {};
    const TUnicodeAccount account = m_accounts.Get(index.row());
    if (index.column() == 2 && account.passwordMissing())
        // Exact text: tells users which passwords the keyring lost; the password store
        // panel tests compare the cell.
        return QStringLiteral("(missing from the keyring)");
    switch (index.column()) {
    case 0:
        return account.Computer;
    case 1:
        return account.UserName;
    case 2:
        return MaskedPassword(account.Password);
    default:
        return {};
    }
}

QVariant TAccountListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case 0:
        return QStringLiteral("Shared Folder");
    case 1:
        return QStringLiteral("User Name");
    case 2:
        return QStringLiteral("Password");
    default:
        return {};
    }
}

void TAccountListModel::refresh()
{
    beginResetModel();
    m_rows = m_accounts.Count();
    endResetModel();
}
