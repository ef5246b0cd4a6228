#pragma once

#include <QByteArray>
#include <QString>
#include <utility>
#include <vector>

// Documents built by the tests themselves: zipped XML packages written with libzip,
// PDFs written by hand (one Flate-compressed content stream per page), RTF and
// plain text. Every sample holds its terms in the places a search must reach: the
// body, a table cell, a page header, and one word split in two runs of the format
// ("pass" + "word").
namespace DocumentSamples {

struct Terms {
    QString Body = QStringLiteral("bodyterm");
    QString Cell = QStringLiteral("cellterm");
    QString Header = QStringLiteral("headerterm");
    QString SplitFirst = QStringLiteral("pass");
    QString SplitSecond = QStringLiteral("word");
};

using ZipEntries = std::vector<std::pair<QString, QByteArray>>;

// A zip archive of the entries, deflated; with a password every entry is encrypted
// (traditional PKWARE encryption).
QByteArray zip(const ZipEntries& entries, const QByteArray& password = {});

QByteArray docx(const Terms& terms = {});
QByteArray xlsx(const Terms& terms = {});
QByteArray pptx(const Terms& terms = {});
QByteArray odt(const Terms& terms = {});
QByteArray ods(const Terms& terms = {});
QByteArray odp(const Terms& terms = {});
// pages copies of the page (the terms on each).
QByteArray pdf(const Terms& terms = {}, int pages = 1);
QByteArray rtf(const Terms& terms = {});
// The terms as lines of plain text in UTF-8 or UTF-16 (little- or big-endian), with
// or without a byte order mark.
enum class TextEncoding { Utf8, Utf16Le, Utf16Be };
QByteArray plainText(const Terms& terms, TextEncoding encoding, bool byteOrderMark);

// A docx whose document.xml unpacks to bodyBytes bytes of one repeated paragraph.
QByteArray largeDocx(qint64 bodyBytes);
// A zip holding count empty entries beside a docx's document.xml.
QByteArray docxWithEntries(int count);
// A docx whose entries are encrypted inside the zip.
QByteArray zipEncryptedDocx();
// What Office writes for a password-protected document: a compound file with an
// "EncryptedPackage" stream (only its header and directory entry name matter here).
QByteArray compoundFileEncryptedDocument();
// An odt whose manifest marks content.xml as encrypted.
QByteArray encryptedOdt();

} // namespace DocumentSamples
