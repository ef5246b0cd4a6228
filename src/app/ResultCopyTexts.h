#pragma once

#include "model/ItemRecord.h"

#include <QString>

// The texts the four "Copy path ..." commands put on the clipboard (and show as their
// captions) for the first selected record; "<empty>" when no row is selected.
struct TCopyTexts {
    QString fullName;
    QString fileName;
    QString filePath;
    QString fileDrive;
};

inline const QString kEmptyCopyCaption = QStringLiteral("<empty>");

// The drive part of a path: "C:" of a local path, "\\HOST\share" of a network path,
// empty when there is none.
QString ExtractFileDrive(const QString& path);

// The four texts for a record; selected false gives "<empty>" four times. An FTP hit
// has no drive part: "<empty>" there too.
TCopyTexts CopyTextsFor(const TItemRecord* selected);
