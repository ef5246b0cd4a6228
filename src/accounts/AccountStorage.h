#pragma once

class TAccountList;
class TIniFile;

// The "Accounts" section of the settings file or a profile: "Count", then for each
// index from 0 "Computer-i", "Username-i" and "Password-i" (the password encoded by
// EncodePassword).

// Appends the section's accounts to the list (the list is not cleared, so a profile
// loaded twice lists its accounts twice). Reading goes by "Count" alone (a missing or
// non-numeric count reads as 0, and a count above 100000 is taken as 100000); a
// missing key reads as an empty text.
void LoadAccounts(const TIniFile& ini, TAccountList& accounts);

// Writes "Count" and every account in list order. The section is not erased first:
// keys of higher indices left by a longer list stay and are ignored when reading.
void SaveAccounts(TIniFile& ini, const TAccountList& accounts);
