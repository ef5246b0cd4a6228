#pragma once

#include "engine/Mask.h"

#include <QLocale>
#include <QString>

// The three uses of TMask.

// File and folder names: mask and tested name upper-cased with the user's locale,
// so the test is case-insensitive for every letter the locale knows.
class TFileMask : public TMask {
public:
    explicit TFileMask(const QString& mask, const QLocale& locale = QLocale::system());
    bool Matches(const QString& name) const override;

private:
    QLocale m_locale;
};

// Upper-cases a file name or file mask with the locale's rules, one character for
// one character, so '?' and sets keep lining up with the name. A character whose
// upper case is longer (German sharp s) stays as it is. The dotted capital I is
// folded to I: under Turkish rules "file" becomes "FİLE", which would otherwise
// stop matching a file named FILE.
QString UpperCaseFileName(const QString& text, const QLocale& locale);

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
