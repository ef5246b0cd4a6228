#include "dialogs/AccountsImportForm.h"

#include "accounts/AccountImport.h"
#include "dialogs/DialogPrompts.h"
#include "dialogs/ModalButtons.h"
#include "model/CountText.h"
#include "model/Error.h"
#include "model/LocaleFormats.h"
#include "widgets/FileDialogs.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

const QString kMaskedPassword(8, QChar(0x2022));

} // namespace

TAccountsImportForm::TAccountsImportForm(QWidget* parent)
    : QDialog(parent), m_fileName(new QLineEdit(this)), m_separator(new QLineEdit(this)),
      m_preview(new QTreeWidget(this)), m_skipped(new QLabel(this))
{
    setWindowTitle(QStringLiteral("Import Accounts"));
    m_fileName->setObjectName(QStringLiteral("leCsvFile"));
    m_fileName->setReadOnly(true);
    auto* browseButton = new QPushButton(QStringLiteral("&Browse"), this);
    browseButton->setObjectName(QStringLiteral("browseButton"));
    browseButton->setAutoDefault(false);
    connect(browseButton, &QPushButton::clicked, this, &TAccountsImportForm::browse);

    m_separator->setObjectName(QStringLiteral("leSeparator"));
    m_separator->setMaxLength(1);
    m_separator->setText(LocaleListSeparator(QLocale::system()));
    m_separator->setMaximumWidth(40);
    connect(m_separator, &QLineEdit::textChanged, this, &TAccountsImportForm::separatorChanged);

    m_preview->setObjectName(QStringLiteral("lvPreview"));
    // Exact text: the preview's column captions, compared by the account dialog tests.
    m_preview->setHeaderLabels(
        {QStringLiteral("Computer Name"), QStringLiteral("User Name"), QStringLiteral("Password")});
    m_preview->setRootIsDecorated(false);
    m_preview->setSelectionMode(QAbstractItemView::NoSelection);
    m_preview->header()->resizeSection(0, 180);

    auto* fields = new QGridLayout;
    fields->addWidget(new QLabel(QStringLiteral("CSV File Name"), this), 0, 0);
    fields->addWidget(m_fileName, 0, 1);
    fields->addWidget(browseButton, 0, 2);
    fields->addWidget(new QLabel(QStringLiteral("Separator"), this), 1, 0);
    fields->addWidget(m_separator, 1, 1, Qt::AlignLeft);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(new QLabel(QStringLiteral("Preview"), this));
    layout->addWidget(m_preview, 1);
    m_skipped->setObjectName(QStringLiteral("lblSkipped"));
    layout->addWidget(m_skipped);
    layout->addWidget(new TModalButtons(this));
    resize(520, 360);
}

void TAccountsImportForm::parseFile(const QString& path)
{
    m_preview->clear();
    m_accounts.clear();
    m_fileName->setText(path);
    m_skipped->clear();
    TAccountImport import;
    try {
        import = ReadAccountImport(path, m_separator->text());
    } catch (const std::exception& error) {
        // Exact text: the account dialog tests compare the whole message.
        DialogPrompts().error(this, QStringLiteral("Unable to parse file: ") + ExceptionMessage(error));
        return;
    }
    m_accounts = import.Accounts;
    QList<QTreeWidgetItem*> rows;
    rows.reserve(m_accounts.size());
    // Someone may look over the user's shoulder: a password shows as a fixed row of dots
    // (not even its length), an empty one as nothing.
    for (const TUnicodeAccount& account : m_accounts)
        rows.append(new QTreeWidgetItem(QStringList{
            account.Computer, account.UserName, account.Password.isEmpty() ? QString() : kMaskedPassword}));
    m_preview->addTopLevelItems(rows);
    // Exact text: both forms are compared by the account dialog tests.
    if (import.SkippedLines > 0)
        m_skipped->setText(CountText(import.SkippedLines,
                                     QStringLiteral("line is not an account and was skipped"),
                                     QStringLiteral("lines are not accounts and were skipped")));
}

void TAccountsImportForm::browse()
{
    const QString path = FileDialogs().openFileName(this, QStringLiteral("Import Accounts"),
                                                    QStringLiteral("CSV files (*.csv)|*.csv"));
    if (!path.isEmpty())
        parseFile(path);
}

void TAccountsImportForm::separatorChanged()
{
    if (!m_fileName->text().isEmpty() && !m_separator->text().isEmpty())
        parseFile(m_fileName->text());
}
