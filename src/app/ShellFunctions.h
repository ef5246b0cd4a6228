#pragma once

#include <QString>
#include <QUrl>
#include <functional>

class QWidget;

// What the program hands to the desktop: opening files, folders and addresses with
// their default application, the property sheet of a file, and desktop shortcuts.
// Main thread only.

// The address a result name opens as: a UNC path \\HOST\share\p becomes
// smb://HOST/share/p, a local path a file: URL, anything with a scheme stays a URL.
QUrl ShellUrlFor(const QString& fileName);

// Opens the file, folder or address with its default application. Failures show an
// error box with the message of ShellOpenErrorText: a local file or folder that does
// not exist gives 2 or 3, no application that takes the address 31.
void ShellOpen(const QString& fileName);
// "The specified file was not found." for 2, ... "Unknown error (%u)" for others.
QString ShellOpenErrorText(unsigned code);

// "Open containing folder": the desktop's file manager at the folder that holds the
// hit, the hit selected. Through ShowItems of org.freedesktop.FileManager1 when a
// program on the session bus owns or can be started for that name; otherwise (or when
// the call fails) xdg-open of the folder's address. Share hits go as smb:// addresses.
// A failure to start xdg-open shows ShellOpenErrorText(31).
void ShowContainingFolder(const QString& fileName);
// The address of a hit for the desktop: smb://HOST/share/p for a UNC path (host letter
// case kept, segments percent-encoded), ftp:// addresses as they are, file: URLs for
// local paths. folder gives the address of the folder that holds it.
QString DesktopAddressFor(const QString& fileName, bool folder);

// Asks the file manager to show the file's properties; the outcome is not examined.
void ShowFileProperties(const QString& fileName);

// Writes a desktop link (an XDG .desktop file) to linkFile: a link to the target's
// address, or with arguments an entry that runs the target with them in the working
// folder. An existing file of that name is replaced. Raises EKestrovaError.
void CreateShortcut(const QString& target, const QString& arguments, const QString& workingFolder,
                    const QString& linkFile);

// The vendor's web site (About, the Help menu's web pages).
QString VendorSiteUrl();
// Help and F1: the manual shipped with the program, in the manual window
// (app/ManualWindow.h) over the owner, or over the active window.
void OpenManual(QWidget* owner = nullptr);

// Replaces how addresses reach the desktop (tests record them instead). The opener
// returns false when no application took the address. An empty function restores
// QDesktopServices::openUrl.
void SetShellUrlOpener(std::function<bool(const QUrl&)> opener);
// Replaces how ShowContainingFolder starts xdg-open (tests record it instead); returns
// false when the program could not start. An empty function restores
// QProcess::startDetached.
void SetProgramStarter(std::function<bool(const QString& program, const QStringList& arguments)> starter);
