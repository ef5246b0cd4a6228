#pragma once

#include "model/Account.h"

#include <QDialog>
#include <QList>

class QLabel;
class QLineEdit;
class QTreeWidget;

// "Import Accounts": a CSV file chosen with Browse, the separator (one character,
// the locale's list separator to begin with), and a preview of the accounts the file
// gives (ReadAccountImport; passwords masked, lines that are no account counted below
// the preview). Changing the separator parses the file again. A file
// that cannot be parsed shows "Unable to parse file: " and the reason. OK and Cancel
// check nothing; the caller appends accounts() after OK.
class TAccountsImportForm : public QDialog {
    Q_OBJECT
public:
    explicit TAccountsImportForm(QWidget* parent = nullptr);

    // The accounts of the preview, in preview order.
    const QList<TUnicodeAccount>& accounts() const { return m_accounts; }

    // Shows the file name and fills the preview from it.
    void parseFile(const QString& path);

private:
    void browse();
    void separatorChanged();

    QLineEdit* m_fileName;
    QLineEdit* m_separator;
    QTreeWidget* m_preview;
    QLabel* m_skipped; // how many lines were no account
    QList<TUnicodeAccount> m_accounts;
};
