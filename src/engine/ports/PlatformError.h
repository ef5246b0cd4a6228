#pragma once

#include <QString>

// Outcome of a platform call: code 0 is success; otherwise the platform's code
// (errno, CURLcode, ...) and its message text.
struct [[nodiscard]] PlatformError {
    int code = 0;
    QString message;

    bool failed() const { return code != 0; }
    static PlatformError fromErrno(int errnoValue);
};
