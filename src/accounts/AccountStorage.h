#pragma once

#include <QStringList>

class TAccountList;
class TIniFile;
class TPasswordKeeper;

// The "Accounts" section of the settings file or a profile: "Count", then for each
// index from 0 "Computer-i", "Username-i" and "Password-i" (the password encoded by
// EncodePassword).
//
// Passwords kept in the desktop's keyring leave "Password-i" empty and name their
// entry in "PasswordKey-i"; "PasswordStore" ("SettingsFile" or "SecretService") and
// "PasswordStoreId" record the choice and the file's key prefix (TPasswordKeeper).
// A reader that knows none of these keys sees such an account with an empty
// password, never a made-up one.

// Appends the section's accounts to the list (the list is not cleared, so a profile
// loaded twice lists its accounts twice). Reading goes by "Count" alone (a missing or
// non-numeric count reads as 0, and a count above 100000 is taken as 100000); a
// missing key reads as an empty text.
//
// An account with a "PasswordKey-i" and an empty "Password-i" takes its password
// from keeper's vault (a non-empty "Password-i" was written later, by a version that
// knows no keys, and wins). When
// there is no keeper or vault, the entry is gone, the vault fails or the key belongs
// to another account, the account keeps the key in MissingPasswordKey, and keeper
// (when given) gets one problem line naming the account.
void LoadAccounts(const TIniFile& ini, TAccountList& accounts, TPasswordKeeper* keeper = nullptr);

// Writes "Count" and every account in list order. The section is not erased first:
// keys of higher indices left by a longer list stay and are ignored when reading.
//
// Without keeper, or with keeper's store SettingsFile, passwords go into the file.
// With SecretService they go into keeper's vault (an account the vault refuses is
// written into the file instead, so nothing is lost), as does "PasswordStoreId". An
// account whose password is missing keeps its key either way. With a keeper,
// "PasswordStore" is written.
//
// Returns the keys the section named before and names no more: the caller removes
// them from the vault once the file is written (keeper.Remove), not before, so a
// failed save leaves every password somewhere.
QStringList SaveAccounts(TIniFile& ini, const TAccountList& accounts, TPasswordKeeper* keeper = nullptr);
