#pragma once

#include "engine/ports/PlatformError.h"

#include <curl/curl.h>

// What went wrong with an FTP request, as far as the search cares.
enum class FtpFailure {
    None,
    Stopped,           // the search was stopped (its stop token)
    NoServer,          // name not resolved, nothing listening, connection refused
    LoginRefused,      // the server does not accept anonymous users
    FolderUnavailable, // missing or unreadable folder; the connection stays usable
    DataConnection,    // the server could not open the data connection (active mode)
    ConnectionLost,    // reset, closed or cut off in the middle of a reply or listing
    TimedOut,          // no answer, or no data, within the time-outs
    TooLarge,          // a listing past the size the client accepts
    Tls,               // TLS handshake failed or the certificate did not verify
    Protocol,          // replies the client cannot make sense of, bad URLs, other errors
};

// The one mapping from libcurl's result and the server's last reply code to a
// failure kind. Never looks at message texts.
FtpFailure ClassifyFtpFailure(CURLcode code, long replyCode);

// Whether the control connection can serve further listings after the failure.
bool FtpFailureEndsConnection(FtpFailure failure);

// A code and message for the failure: the CURLcode, with libcurl's text, the
// server's reply code and the detail libcurl gave.
PlatformError FtpPlatformError(CURLcode code, long replyCode, const char* detail);
