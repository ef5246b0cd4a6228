#include "model/LogCategories.h"

// QtWarningMsg: only warnings and worse are on unless the logging rules say otherwise.
// Exact text: users switch traces on by these names in QT_LOGGING_RULES, as README
// shows; the category test checks them.
Q_LOGGING_CATEGORY(kestrovaSmb, "kestrova.smb", QtWarningMsg)
Q_LOGGING_CATEGORY(kestrovaFtp, "kestrova.ftp", QtWarningMsg)
Q_LOGGING_CATEGORY(kestrovaProbe, "kestrova.probe", QtWarningMsg)
Q_LOGGING_CATEGORY(kestrovaEngine, "kestrova.engine", QtWarningMsg)
Q_LOGGING_CATEGORY(kestrovaAccounts, "kestrova.accounts", QtWarningMsg)
