#pragma once

#include "model/ContentMatch.h"

#include <QList>
#include <QLocale>
#include <QString>
#include <QStringView>
#include <cstdint>
#include <memory>

// One hit of a search: a file or folder on a share (UNC path) or on an FTP server
// ("ftp://" + server + path). Plain value; copies are independent.
struct TItemRecord {
    QString FileName;
    int32_t Attrs = 0;       // Windows attribute bits; 0x10 marks a folder
    int64_t Size = 0;        // bytes
    double DateTime = 0.0;   // local last-write time, days since 1899-12-30
    int32_t ImageIndex = -1; // small-icon index, -1 when none
    // Set by a content search for the hits it read; shared, because copies of a hit
    // (view, reports, file operations) never change it. Results files do not keep it.
    std::shared_ptr<const TContentMatch> Match;

    friend bool operator==(const TItemRecord& a, const TItemRecord& b)
    {
        return a.FileName == b.FileName && a.Attrs == b.Attrs && a.Size == b.Size &&
               a.DateTime == b.DateTime && a.ImageIndex == b.ImageIndex &&
               (a.Match == b.Match || (a.Match && b.Match && *a.Match == *b.Match));
    }
};

// The result list of the main window; the view, reports, results files and file
// operations all read it.
using TItemList = QList<TItemRecord>;

constexpr int32_t kAttrReadOnly = 0x01;
constexpr int32_t kAttrHidden = 0x02;
constexpr int32_t kAttrSystem = 0x04;
constexpr int32_t kAttrDirectory = 0x10;
constexpr int32_t kAttrArchive = 0x20;

TItemRecord MakeItemRecord(const QString& fileName, int32_t attrs, int32_t imageIndex, double dateTime,
                           int64_t size);

bool IsFolderItem(const TItemRecord& item);
// True only for the exact lower-case prefix "ftp://" that workers produce.
bool IsFtpItem(const TItemRecord& item);

// Display name: the part after the last '/' of an FTP hit, then after the last '\' or ':'.
QString ItemName(const TItemRecord& item);
// The same as a view into the record's FileName, for callers that format many rows.
QStringView ItemNameView(const TItemRecord& item);
// Display folder: before the last '/' of an FTP hit; for shares the path up to the
// last '\' or ':', without that backslash unless it is a drive root or UNC prefix.
QString ItemLocation(const TItemRecord& item);
QStringView ItemLocationView(const TItemRecord& item);
// "A", "R", "H", "S" in this order for the archive, read-only, hidden and system bits.
QString ItemAttributesText(const TItemRecord& item);
void AppendItemAttributesText(QString& out, const TItemRecord& item);
// "999 bytes", "0.98 KB", "10.0 KB", "977 KB"...; empty for folders. The decimal
// separator is the one of the default QLocale (the user's locale unless changed).
QString ItemSizeText(const TItemRecord& item);
QString ItemSizeText(const TItemRecord& item, const QLocale& locale);
// The size text of a byte count as a file (used for totals too).
QString SizeText(int64_t size);
QString SizeText(int64_t size, const QLocale& locale);

// SizeText and ItemSizeText for many values in one locale.
class TSizeFormatter {
public:
    explicit TSizeFormatter(const QLocale& locale = QLocale());
    QString text(int64_t size) const;
    // Appends ItemSizeText of the record (nothing for folders).
    void appendTo(QString& out, const TItemRecord& item) const;

private:
    QString m_decimalPoint;
    bool m_pointIsPeriod;
};

// Folder part of a path: everything up to and including its last '\' or ':'.
QString ExtractFilePath(const QString& path);
// Name part of a path: everything after its last '\' or ':'.
QString ExtractFileName(const QString& path);
// Folder of a path without the trailing '\' (kept for "C:\" and the "\\" of a UNC prefix).
QString ExtractFileDir(const QString& path);
QStringView ExtractFileDirView(QStringView path);
