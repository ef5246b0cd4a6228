#pragma once

#include "model/ItemRecord.h"

#include <QString>

// The texts the "Copy path ..." commands put on the clipboard (and show as their
// captions) for the first selected record; "<empty>" when no row is selected.
struct TCopyTexts {
    QString fullName;
    QString fileName;
    QString filePath;
    QString fileDrive;
    // The address other Linux programs open: smb://host/share/path (percent-encoded)
    // for a share hit, the ftp:// address of an FTP hit; "<empty>" for a local path.
    QString url;
};

// Exact text: the copy menu shows this for a value a hit lacks; the results view
// tests compare the menu.
inline const QString kEmptyCopyCaption = QStringLiteral("<empty>");

// The drive part of a path: "C:" of a local path, "\\HOST\share" of a network path,
// empty when there is none.
QString ExtractFileDrive(const QString& path);

// The texts for a record; selected false gives "<empty>" everywhere. An FTP hit has
// no drive part: "<empty>" there too.
TCopyTexts CopyTextsFor(const TItemRecord* selected);
