#pragma once

#include <QString>

// Whether the security descriptor of a share's top folder, in libsmbclient's text form
// ("REVISION:1,OWNER:S-1-...,GROUP:S-1-...,ACL:S-1-1-0:0/0/0x001f01ff,..."; entries
// separated by commas, tabs or line breaks; each ACL entry SID:type/flags/mask), shows
// that anyone the search's logon surely is may add files there: an allowing entry for
// Everyone (S-1-1-0) or Authenticated Users (S-1-5-11) with FILE_ADD_FILE, GENERIC_WRITE
// or GENERIC_ALL that applies to the folder itself (not inherit-only), and no denying
// entry with one of those rights for anyone (which groups the logon is in is not known,
// so any denial may be meant for it). Entries granting rights to a named user or group
// are no evidence: the logon's own SID is not known here. Anything unreadable: false.
bool DescriptorGrantsWrite(const QString& descriptor);
