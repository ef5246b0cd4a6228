#include "dialogs/BatchFileDialog.h"

#include "model/Error.h"
#include "store/BatchFile.h"
#include "widgets/FileDialogs.h"
#include "widgets/UserPrompts.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TBatchFileDialog::TBatchFileDialog(const TItemList& items, QWidget* parent) : QDialog(parent), m_items(items)
{
    setObjectName(QStringLiteral("BatchFilesForm"));
    setWindowTitle(QStringLiteral("Batch Files"));

    auto* header = new QLabel(
        QStringLiteral(
            "Here you can create a batch-file from your template which you can then use without Kestrova"),
        this);
    header->setWordWrap(true);
    QFont bold = header->font();
    bold.setBold(true);
    header->setFont(bold);

    auto* help = new QLabel(
        QStringLiteral("In the template you can use:\n"
                       "\n"
                       " <FN> - filename of each found file\n"
                       " <FD> - directory of each found file\n"
                       " <FC> - computer where file is found\n"
                       "\n"
                       "For example, the following template\n"
                       " copy <FN> c:\\temp\n"
                       "creates a batch file which copies all found files to your c:\\temp directory"),
        this);
    help->setTextFormat(Qt::PlainText);

    m_noDuplicates = new QCheckBox(QStringLiteral("Skip duplicate lines in the bat-file "), this);
    m_noDuplicates->setObjectName(QStringLiteral("cbNoDuplicates"));
    m_template = new QLineEdit(this);
    m_template->setObjectName(QStringLiteral("edBatFileTemplate"));

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (createBatchFile())
            accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(header);
    layout->addWidget(help);
    layout->addWidget(m_noDuplicates);
    layout->addWidget(m_template);
    layout->addWidget(buttons);
    resize(520, sizeHint().height());
}

bool TBatchFileDialog::createBatchFile()
{
    try {
        const QStringList lines = BuildBatchLines(m_items, m_template->text(), m_noDuplicates->isChecked());
        const QString fileName =
            FileDialogs().saveFileName(this, QStringLiteral("Save Batch File"),
                                       QStringLiteral("Batch files (*.bat)|*.bat"), QStringLiteral(".bat"));
        if (fileName.isEmpty())
            return true; // cancelled: the window closes without writing
        WriteBatchFile(fileName, lines);
        return true;
    } catch (const std::exception& error) {
        UserPrompts().info(ExceptionMessage(error));
        return false;
    }
}
