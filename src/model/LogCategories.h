#pragma once

#include <QLoggingCategory>

// Developer traces of failures that otherwise reach only the search log or are
// dropped on purpose (a host without FTP, a share that refuses a logon). Debug and
// info messages are off by default; QT_LOGGING_RULES="kestrova.*.debug=true"
// turns them on.
Q_DECLARE_LOGGING_CATEGORY(kestrovaSmb)      // kestrova.smb: shares, logons, folders, the SMB agent
Q_DECLARE_LOGGING_CATEGORY(kestrovaFtp)      // kestrova.ftp: FTP logins and listings
Q_DECLARE_LOGGING_CATEGORY(kestrovaProbe)    // kestrova.probe: host probe channels
Q_DECLARE_LOGGING_CATEGORY(kestrovaEngine)   // kestrova.engine: search threads
Q_DECLARE_LOGGING_CATEGORY(kestrovaAccounts) // kestrova.accounts: stored passwords, the keyring
