#pragma once

#include <QString>
#include <cstdint>

// What the icon of a hit is looked up from (chosen by the worker, asked on the main thread).
struct THitIconRequest {
    QString path; // folder hits: the program's own folder; FTP files: the display name; else the path
    bool isFolder = false;
    bool isFtpFile = false; // look up by extension only, never touching the file
};

class HitIconProvider {
public:
    virtual ~HitIconProvider() = default;
    // Main thread only. The small-icon index, or -1 when there is none.
    virtual int32_t IconIndex(const THitIconRequest& request) = 0;
};
