#pragma once

#include <QAbstractTableModel>
#include <QIcon>

class TAccountList;

// The rows of the account list as "Shared Folder", "User Name" and "Password" (one
// "●" per character; "(missing from the keyring)" for an account whose keyring entry
// could not be read). Each row is read from the list by index when it is painted;
// refresh() takes up a changed count.
class TAccountListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TAccountListModel(TAccountList& accounts, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void refresh();

private:
    TAccountList& m_accounts;
    int m_rows = 0;
    QIcon m_icon;
};
