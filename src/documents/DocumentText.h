#pragma once

#include "documents/ExtractionBudget.h"

#include <QByteArrayView>
#include <QString>

// The text of a document, recognised by its content (never by its name): Office
// Open XML (docx body, tables, headers, footers, notes; xlsx shared and inline
// strings and sheet headers; pptx slides and notes), OpenDocument (content.xml and
// styles.xml, so headers too), PDF, RTF and plain text in UTF-8 or UTF-16. Office
// documents encrypted with a password (a compound file holding an
// "EncryptedPackage") are recognised so that they can be named as such.
enum class TDocumentFormat {
    None,
    Zip, // a zip container that could not be opened far enough to say which format
    Docx,
    Xlsx,
    Pptx,
    Odt,
    Ods,
    Odp,
    OpenDocument, // another OpenDocument type (drawing, chart, ...)
    Pdf,
    Rtf,
    Text,
    EncryptedOffice,
    CompoundFile, // only from SniffDocumentFormat: may be an encrypted Office document
};

// How the search log names the format: "docx", "PDF", "plain text", ...
QString DocumentFormatName(TDocumentFormat format);

// The first bytes a caller reads to decide whether a file is worth reading whole.
inline constexpr qsizetype kDocumentHeadSize = 4096;

// What a file starting with head may be: Zip, CompoundFile, Pdf, Rtf, Text, or None
// when it is no document this reader knows (it need not be read whole then).
TDocumentFormat SniffDocumentFormat(QByteArrayView head);

struct TDocumentText {
    TDocumentFormat Format = TDocumentFormat::None; // None: no document this reader knows
    QString Text;
    QString Error; // why the text could not be extracted; empty when Text holds it
};

// The one entry point: the whole file's bytes in, its text or the reason out.
// Never throws for hostile input; the budget bounds time, unpacked bytes, zip
// entries and text length, and its stop token ends the extraction early.
TDocumentText ExtractDocumentText(QByteArrayView bytes, TExtractionBudget& budget);
