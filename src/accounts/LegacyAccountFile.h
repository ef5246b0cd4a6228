#pragma once

#include <QString>
#include <functional>

class TAccountList;

// Accounts left by older versions in a file of fixed 192-byte records without a
// header: bytes 0-63 the computer, 64-127 the user name, 128-191 the password in clear
// text, each Windows-1252 text ended by the first zero byte or by the end of its field.

// The legacy file that belongs to a settings file: same folder and name, ".dat".
QString LegacyAccountFilePath(const QString& settingsFilePath);

// Takes the accounts over, once: appends them to the list in file order, then deletes
// the file. Returns the number of accounts appended.
// - No file at the path: nothing happens.
// - A file that cannot be read raises EKestrovaError; nothing is imported, it stays.
// - A size that is not a multiple of 192 bytes, an OLE2 compound file (a results file
//   saved under this name) or a file too large to be an account list (more than
//   100000 records) is no account file: nothing is imported, it stays, no error.
// - An empty file imports nothing and is deleted.
// - persist, when given, runs after the accounts are in the list and before the file
//   is deleted, so that they are stored elsewhere before their only copy goes; if it
//   throws, the error propagates and the file stays.
// - A failure to delete the file is ignored (it would be imported again next time).
int ImportLegacyAccountFile(const QString& path, TAccountList& accounts,
                            const std::function<void()>& persist = {});
