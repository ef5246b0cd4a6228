#pragma once

#include <QString>

// How far a search's logon reached into one share.
enum class TShareRights {
    None,      // its top folder could not be listed
    Read,      // listed; the server gave no sign that this logon may write there
    ReadWrite, // listed, and the share client found positive evidence of write access
};

// The access text of the hosts table and its exports: "NO ACCESS", "READ", "READ/WRITE".
QString ShareRightsText(TShareRights rights);
