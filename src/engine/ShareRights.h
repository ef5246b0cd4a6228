#pragma once

#include <QString>

// How far a search's logon reached into one share.
enum class TShareRights {
    None,      // its top folder could not be listed
    Read,      // listed; the server gave no sign that this logon may write there
    ReadWrite, // listed, and the server let the top folder be opened for writing
};

// The access text of the hosts table and its exports: "NO ACCESS", "READ", "READ/WRITE".
QString ShareRightsText(TShareRights rights);
