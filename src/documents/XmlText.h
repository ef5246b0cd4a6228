#pragma once

#include "documents/ExtractionBudget.h"

#include <QString>
#include <QStringList>

class TZipPackage;

// Which elements of a zipped XML part hold text and which end a line, by local name
// (the prefix before ':' is ignored, so undeclared prefixes in damaged files do not
// matter). Character data counts only inside a text element; nested text elements
// (a footnote's paragraph inside a paragraph) count once.
struct TXmlTextRules {
    QStringList TextElements;
    QStringList LineElements; // a line break after each
    QStringList CellElements; // a tab after each (table cells)
    QStringList TabElements;
    QStringList BreakElements;
    QString SpaceElement; // OpenDocument's run of spaces: attribute c, default 1
};

// Office Open XML (w:t, a:t, the t of spreadsheets) and OpenDocument (text:p, text:h).
const TXmlTextRules& OfficeOpenXmlRules();
const TXmlTextRules& OpenDocumentRules();

// Appends the text of one part of package to text, parsing while it unpacks (the
// part is never held whole). False with the reason in error when the part cannot be
// unpacked, is not well-formed XML, or the budget ends.
bool AppendXmlPartText(TZipPackage& package, const QString& part, const TXmlTextRules& rules,
                       TExtractionBudget& budget, QString& text, QString& error);
