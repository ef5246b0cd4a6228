#pragma once

#include "model/ItemRecord.h"
#include "platform/FileStores.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <functional>
#include <memory>

class QDialog;
class QWidget;
class TResultsModel;
class TTransferUi;
struct TSettings;

// The file operations of the results view's pop-up menu on the found files
// themselves: Copy, Move, Delete, Rename, Properties and the network drive
// commands. Each works on the results model and the selected rows it is given (row i
// of the view shows record i of the list) and brings the model up to date where
// files disappear or change name; the model tells the view. Files on shares are
// reached through the SMB agent (logged on with the stored accounts when the logon
// hook is set), local paths directly.
//
// The main window owns one for its life and calls, with the selected rows:
//   "&Copy" CopyFiles(rows), "&Move" MoveFiles(rows), "&Delete" DeleteFiles(rows),
//   "&Rename" RenameFile(firstRow), "&Properties" ShowProperties(firstRow),
//   "&Map Network Drive" MapNetworkDrive(firstRow) (popup) or MapNetworkDrive(-1)
//   (main menu), "&Unmap Network Drive" UnmapNetworkDrive().
// Main thread only. Rows out of range are ignored.
// "Are you sure you want to delete the selected file(s)?" and the names it is about.
QString DeleteQuestion(const QStringList& names);

class TResultFileOperations {
public:
    // Asks for the destination folder of a copy or move, starting at startFolder;
    // empty when cancelled.
    using FolderChooser = std::function<QString(QWidget* owner, const QString& startFolder)>;
    // Asks for a new name ("Rename to" / "Enter new name"), starting with the current
    // one; false when cancelled.
    using NameRequester = std::function<bool(QWidget* owner, const QString& currentName, QString& newName)>;
    // Opens an address on the desktop (the file manager for smb:// addresses).
    using UrlOpener = std::function<bool(const QUrl& url)>;
    // Makes the copy/move dialogs; tests script their own.
    using TransferUiFactory = std::function<std::unique_ptr<TTransferUi>(QWidget* owner, bool move)>;
    // Runs a modal window (the properties); tests look at it instead.
    using DialogRunner = std::function<void(QDialog& dialog)>;

    // settings: the program's settings (the copy/move target folder is kept in them).
    TResultFileOperations(TResultsModel& results, TSettings& settings, QWidget* mainWindow);
    ~TResultFileOperations();

    // Logs on to a share before the first operation on it (see TShareAccess::LogonTo).
    void setLogonHook(std::function<void(ShareClient&, const QString& sharePath)> logon);

    void setFolderChooser(FolderChooser chooser) { m_chooseFolder = std::move(chooser); }
    void setNameRequester(NameRequester requester) { m_requestName = std::move(requester); }
    void setUrlOpener(UrlOpener opener) { m_openUrl = std::move(opener); }
    void setTransferUiFactory(TransferUiFactory factory) { m_makeTransferUi = std::move(factory); }
    void setDialogRunner(DialogRunner runner) { m_runDialog = std::move(runner); }
    // Replaces where files are read and changed (tests).
    void setStores(std::unique_ptr<FileStores> stores) { m_stores = std::move(stores); }

    // Copies the selected records' files and folders into a chosen folder, which is
    // remembered as the InitialDir setting. The list does not change.
    void CopyFiles(const QList<int>& rows);
    // As CopyFiles, then every record whose file (or folder) no longer exists at
    // its path leaves the list.
    void MoveFiles(const QList<int>& rows);
    // After "Are you sure you want to delete the selected file(s)?", deletes each
    // selected file for good; a failure asks Abort / Retry / Ignore. The records of
    // the deleted files leave the list (the first record of each name).
    void DeleteFiles(const QList<int>& rows);
    // Renames the record's file within its folder; the record takes the new name.
    void RenameFile(int row);
    // A small window with the record's name, place, type, size, date and attributes,
    // and what the file's own place says of it now.
    void ShowProperties(int row);
    // Opens the record's share (\\HOST\share) in the file manager, where the desktop
    // connects it; without a record (row -1) says how shares are connected here.
    void MapNetworkDrive(int row);
    void UnmapNetworkDrive();

private:
    QStringList selectedNames(const QList<int>& rows) const;
    void transfer(const QList<int>& rows, bool move);
    // Removes the first record of each name (a name given twice: its first two).
    void removeRecords(const QStringList& names);
    FileStores& stores();
    void showError(const QString& text);
    void showInfo(const QString& text);

    TResultsModel& m_results;
    TSettings& m_settings;
    QPointer<QWidget> m_mainWindow;
    std::function<void(ShareClient&, const QString&)> m_logon;
    FolderChooser m_chooseFolder;
    NameRequester m_requestName;
    UrlOpener m_openUrl;
    TransferUiFactory m_makeTransferUi;
    DialogRunner m_runDialog;
    std::unique_ptr<FileStores> m_stores;
    TTransferUi* m_activeTransfer = nullptr; // while a copy or move runs
};
