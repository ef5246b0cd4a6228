#include "dialogs/BatchFileDialog.h"

#include "model/Error.h"
#include "store/BatchFile.h"
#include "widgets/FileDialogs.h"
#include "widgets/UserPrompts.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TBatchFileDialog::TBatchFileDialog(const TItemList& items, QWidget* parent) : QDialog(parent), m_items(items)
{
    setObjectName(QStringLiteral("BatchFilesForm"));
    // Exact text: the title and the choice captions of this dialog are found by the
    // results export and batch file dialog tests.
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

    // The script's language and, for a shell script, how it names the hits.
    auto* form = new QGroupBox(QStringLiteral("Write as"), this);
    m_batchFile = new QRadioButton(QStringLiteral("Batch file (.bat)"), form);
    m_batchFile->setObjectName(QStringLiteral("rbBatchFile"));
    m_batchFile->setChecked(true);
    m_shellScript = new QRadioButton(QStringLiteral("Shell script (.sh), values in single quotes"), form);
    m_shellScript->setObjectName(QStringLiteral("rbShellScript"));
    m_smbAddresses = new QRadioButton(QStringLiteral("smb:// addresses"), form);
    m_smbAddresses->setObjectName(QStringLiteral("rbSmbAddresses"));
    m_smbAddresses->setChecked(true);
    m_mountPaths =
        new QRadioButton(QStringLiteral("Paths below the mount folder (folder/HOST/share/...):"), form);
    m_mountPaths->setObjectName(QStringLiteral("rbMountFolder"));
    m_mountFolder = new QLineEdit(form);
    m_mountFolder->setObjectName(QStringLiteral("edMountFolder"));
    m_mountFolder->setPlaceholderText(QStringLiteral("/mnt/net"));
    auto* kinds = new QButtonGroup(form);
    kinds->addButton(m_batchFile);
    kinds->addButton(m_shellScript);
    auto* paths = new QButtonGroup(form);
    paths->addButton(m_smbAddresses);
    paths->addButton(m_mountPaths);
    auto* formLayout = new QGridLayout(form);
    formLayout->addWidget(m_batchFile, 0, 0, 1, 2);
    formLayout->addWidget(m_shellScript, 1, 0, 1, 2);
    formLayout->addWidget(m_smbAddresses, 2, 1);
    formLayout->addWidget(m_mountPaths, 3, 1);
    formLayout->addWidget(m_mountFolder, 4, 1);
    formLayout->setColumnMinimumWidth(0, 16);
    connect(m_shellScript, &QRadioButton::toggled, this, &TBatchFileDialog::updateShellControls);
    connect(m_mountPaths, &QRadioButton::toggled, this, &TBatchFileDialog::updateShellControls);
    updateShellControls();

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
    layout->addWidget(form);
    layout->addWidget(buttons);
    resize(520, sizeHint().height());
}

void TBatchFileDialog::updateShellControls()
{
    const bool shell = m_shellScript->isChecked();
    m_smbAddresses->setEnabled(shell);
    m_mountPaths->setEnabled(shell);
    m_mountFolder->setEnabled(shell && m_mountPaths->isChecked());
}

bool TBatchFileDialog::createBatchFile()
{
    try {
        if (m_shellScript->isChecked()) {
            const QString mountFolder =
                m_mountPaths->isChecked() ? m_mountFolder->text().trimmed() : QString();
            if (m_mountPaths->isChecked() && mountFolder.isEmpty())
                // Exact text: compared by the batch file dialog tests.
                RaiseError(QStringLiteral("Mount folder is empty"));
            const QStringList lines =
                BuildShellScriptLines(m_items, m_template->text(), m_noDuplicates->isChecked(), mountFolder);
            const QString fileName = FileDialogs().saveFileName(this, QStringLiteral("Save Shell Script"),
                                                                QStringLiteral("Shell scripts (*.sh)|*.sh"),
                                                                QStringLiteral(".sh"));
            if (!fileName.isEmpty())
                WriteShellScript(fileName, lines);
            return true;
        }
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
