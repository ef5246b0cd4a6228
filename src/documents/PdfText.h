#pragma once

#include "documents/ExtractionBudget.h"

#include <QByteArrayView>
#include <QString>

// The text of a PDF, page by page through poppler's C++ interface; the budget is
// checked between pages. False with the reason in error for a document poppler
// cannot open, an encrypted one it cannot open without a password, or an exhausted
// budget. Poppler's own error messages are kept out of the program's output.
bool ExtractPdfText(QByteArrayView bytes, TExtractionBudget& budget, QString& text, QString& error);
