#pragma once

#include "engine/Mask.h"

#include <QString>

// The three uses of TMask.

// File and folder names: mask and tested name upper-cased with the user's locale,
// so the test is case-insensitive for every letter the locale knows.
class TFileMask : public TMask {
public:
    explicit TFileMask(const QString& mask);
    bool Matches(const QString& name) const;
};

// A stored account: its computer mask (\\HOST, \\HOST\share, \\PC*...) matched
// against host and share paths, and the credentials to log on with.
class TAccountMask : public TMask {
public:
    TAccountMask(const QString& computer, const QString& userName, const QString& password);
    QString UserName;
    QString Password;
};

// One entry of the scope computer list.
class TComputerMask : public TMask {
public:
    using TMask::TMask;
};
