#pragma once

#include <QByteArray>
#include <QString>

// Version numbers as the update check compares them: plain texts of decimal numbers
// joined by ".", compared for inequality only (an older published version counts as
// "different" too, so a withdrawn release is offered as well).

// The program's own version: "major.minor" when release is 0, else
// "major.minor.release". The build number is never part of it.
QString VersionText(unsigned major, unsigned minor, unsigned release);
// The version this program was built as (the KESTROVA_VERSION_* definitions).
QString LocalVersionText();
// "Version %u.%u Release %u" of this build, for the About box.
QString VersionCaption();

// The published version file's body (ANSI text) as a version text: split into items
// at "." and at blanks and control characters, a part in double quotes being one
// item (inner doubled quotes stand for one); every item must be a decimal number;
// the items joined with ".". Raises EKestrovaError with noDataText for an empty body
// and with unrecognizedText + ": " + the body's first 16 characters when an item is
// not a number or the body holds no item at all.
QString ParseVersionFile(const QByteArray& body, const QString& noDataText, const QString& unrecognizedText);
