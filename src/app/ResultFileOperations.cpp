#include "app/ResultFileOperations.h"

#include "app/FileTransfer.h"
#include "app/ResultsModel.h"
#include "app/TransferDialogs.h"
#include "dialogs/FilePropertiesDialog.h"
#include "model/CountText.h"
#include "platform/UncPath.h"
#include "store/Settings.h"
#include "widgets/MessageBoxes.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QInputDialog>
#include <algorithm>
#include <cerrno>

using namespace FileStorePath;

namespace {

// The system's text for a name it cannot take.
const QString kInvalidName =
    QStringLiteral("The filename, directory name, or volume label syntax is incorrect.");

QString ChooseFolder(QWidget* owner, const QString& startFolder)
{
    return QFileDialog::getExistingDirectory(owner, QString(), startFolder, QFileDialog::ShowDirsOnly);
}

bool RequestName(QWidget* owner, const QString& currentName, QString& newName)
{
    bool accepted = false;
    newName = QInputDialog::getText(owner, QStringLiteral("Rename to"), QStringLiteral("Enter new name"),
                                    QLineEdit::Normal, currentName, &accepted);
    return accepted;
}

} // namespace

TResultFileOperations::TResultFileOperations(TResultsModel& results, TSettings& settings, QWidget* mainWindow)
    : m_results(results), m_settings(settings), m_mainWindow(mainWindow), m_chooseFolder(ChooseFolder),
      m_requestName(RequestName), m_openUrl([](const QUrl& url) { return QDesktopServices::openUrl(url); }),
      m_makeTransferUi([](QWidget* owner, bool move) -> std::unique_ptr<TTransferUi> {
          return std::make_unique<TTransferDialogs>(owner, move ? QStringLiteral("Moving...")
                                                                : QStringLiteral("Copying..."));
      }),
      m_runDialog([](QDialog& dialog) { dialog.exec(); })
{
}

TResultFileOperations::~TResultFileOperations() = default;

void TResultFileOperations::setLogonHook(std::function<void(ShareClient&, const QString&)> logon)
{
    m_logon = std::move(logon);
    m_stores.reset(); // the network store is made afresh with the hook
}

FileStores& TResultFileOperations::stores()
{
    if (!m_stores) {
        // A network call that waits lets the progress window run, so Cancel works.
        m_stores = FileStores::Standard([this] { return m_activeTransfer && m_activeTransfer->pollCancel(); },
                                        m_logon);
    }
    return *m_stores;
}

void TResultFileOperations::showError(const QString& text)
{
    ShowMessageBox(m_mainWindow, QMessageBox::Critical, ApplicationTitle(), text);
}

void TResultFileOperations::showInfo(const QString& text)
{
    ShowMessageBox(m_mainWindow, QMessageBox::Information, ApplicationTitle(), text);
}

QStringList TResultFileOperations::selectedNames(const QList<int>& rows) const
{
    QList<int> sorted = rows;
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    const TItemList& records = m_results.items();
    QStringList names;
    for (const int row : sorted) {
        if (row >= 0 && row < records.size())
            names.append(records.at(row).FileName);
    }
    return names;
}

// Exact text: the delete question as the file operation tests compare it.
QString DeleteQuestion(const QStringList& names)
{
    // The question names what goes for good: the first few names, then how many more.
    constexpr qsizetype kNamed = 5;
    QString text = QStringLiteral("Are you sure you want to delete the selected file(s)?\n");
    for (qsizetype i = 0; i < std::min(names.size(), kNamed); ++i)
        text += u'\n' + names.at(i);
    if (names.size() > kNamed)
        text +=
            u'\n' + QStringLiteral("and %1").arg(CountText(names.size() - kNamed, QStringLiteral("more file"),
                                                           QStringLiteral("more files")));
    return text;
}

void TResultFileOperations::removeRecords(const QStringList& names)
{
    const TItemList& records = m_results.items();
    QList<int> rows;
    for (const QString& name : names) {
        for (int row = 0; row < records.size(); ++row) {
            if (records.at(row).FileName == name && !rows.contains(row)) {
                rows.append(row);
                break;
            }
        }
    }
    m_results.removeItems(rows);
}

void TResultFileOperations::CopyFiles(const QList<int>& rows)
{
    transfer(rows, false);
}

void TResultFileOperations::MoveFiles(const QList<int>& rows)
{
    transfer(rows, true);
}

void TResultFileOperations::transfer(const QList<int>& rows, bool move)
{
    QStringList sources = selectedNames(rows);
    // FTP hits have no store to copy from; the menu does not offer them.
    sources.removeIf([](const QString& name) { return name.startsWith(QStringLiteral("ftp://")); });
    if (sources.isEmpty())
        return;
    const QString folder = m_chooseFolder(m_mainWindow, m_settings.InitialDir);
    if (folder.isEmpty())
        return;
    m_settings.InitialDir = folder;

    {
        std::unique_ptr<TTransferUi> ui = m_makeTransferUi(m_mainWindow, move);
        // The stores' cancel check follows the window only while it lives, also when
        // the transfer ends in an exception.
        struct ActiveTransfer {
            TTransferUi*& active;
            ~ActiveTransfer() { active = nullptr; }
        } active{m_activeTransfer};
        m_activeTransfer = ui.get();
        TFileTransfer(stores(), *ui).run(sources, folder, move);
    }

    if (move) {
        // A file the move left where it was still exists and keeps its record.
        QStringList gone;
        for (const QString& source : sources) {
            FileStoreStat stat;
            const PlatformError error = stores().storeFor(source).stat(source, stat);
            if (error.code == ENOENT || error.code == ENOTDIR)
                gone.append(source);
        }
        removeRecords(gone);
    }
    m_settings.InitialDir = folder;
}

void TResultFileOperations::DeleteFiles(const QList<int>& rows)
{
    const QStringList names = selectedNames(rows);
    if (names.isEmpty())
        return;
    if (ShowMessageBox(m_mainWindow, QMessageBox::Question, ApplicationTitle(), DeleteQuestion(names),
                       QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok) != QMessageBox::Ok)
        return;

    QStringList deleted;
    for (const QString& name : names) {
        if (name.startsWith(QStringLiteral("ftp://")))
            continue;
        // Two selected records of one file (a results file loaded twice): the file
        // is deleted once and both records go.
        if (deleted.contains(name)) {
            deleted.append(name);
            continue;
        }
        bool next = false;
        bool abort = false;
        while (!next) {
            if (!stores().storeFor(name).removeFile(name).failed()) {
                deleted.append(name);
                break;
            }
            // Exact text: the same words as the transfer's; the file operation tests answer
            // the box by them.
            switch (ShowMessageBox(m_mainWindow, QMessageBox::Warning, DefaultBoxCaption(),
                                   QStringLiteral("Cannot delete \"%1\"").arg(name),
                                   QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore,
                                   QMessageBox::Abort)) {
            case QMessageBox::Retry:
                break;
            case QMessageBox::Ignore:
                next = true;
                break;
            default:
                next = abort = true;
                break;
            }
        }
        if (abort)
            break;
    }
    removeRecords(deleted);
}

void TResultFileOperations::RenameFile(int row)
{
    if (row < 0 || row >= m_results.items().size())
        return;
    TItemRecord record = m_results.items().at(row);
    const QString oldPath = record.FileName;
    QString newName;
    if (!m_requestName(m_mainWindow, NameOf(oldPath), newName) || newName.isEmpty())
        return;
    const QString newPath = FolderOf(oldPath) + newName;
    const PlatformError error = IsPlainName(newName)
                                    ? stores().storeFor(oldPath).rename(oldPath, newPath, false)
                                    : PlatformError{EINVAL, kInvalidName};
    if (error.failed()) {
        // Exact text: compared by the file operation tests.
        showError(QStringLiteral("Renaming failed: ") + error.message);
        return;
    }
    // Hits arriving meanwhile are appended below: the row still holds the record.
    record.FileName = newPath;
    m_results.updateItem(row, record);
}

void TResultFileOperations::ShowProperties(int row)
{
    if (row < 0 || row >= m_results.items().size())
        return;
    const TItemRecord record = m_results.items().at(row);
    std::optional<FileStoreStat> now;
    QString nowError;
    if (!IsFtpItem(record)) {
        FileStoreStat stat;
        const PlatformError error = stores().storeFor(record.FileName).stat(record.FileName, stat);
        if (error.failed())
            nowError = error.message;
        else
            now = stat;
    }
    TFilePropertiesDialog dialog(record, now, nowError, m_mainWindow);
    m_runDialog(dialog);
}

void TResultFileOperations::MapNetworkDrive(int row)
{
    const TItemList& records = m_results.items();
    if (row < 0 || row >= records.size()) {
        showInfo(
            QStringLiteral("Kestrova reaches the shares of the network by itself and needs no drive letter. "
                           "To work with a share in other programs, open it in your file manager "
                           "(smb://HOST/share); the desktop connects it there."));
        return;
    }
    const auto path = UncPath::parse(records.at(row).FileName);
    if (!path || path->isHost()) {
        showInfo(QStringLiteral("\"%1\" is not on a network share.").arg(records.at(row).FileName));
        return;
    }
    const QUrl share(path->sharePath().toUrl());
    if (!m_openUrl(share))
        // Exact text: the same wording as ShellOpenErrorText's code 31; the tests compare it.
        showError(QStringLiteral("No program is associated to open this file."));
}

void TResultFileOperations::UnmapNetworkDrive()
{
    showInfo(
        QStringLiteral("Kestrova connects no drive letters. Shares the desktop connected are disconnected "
                       "in your file manager (eject or unmount the share there)."));
}
