#pragma once

#include "documents/ExtractionBudget.h"

#include <QByteArrayView>
#include <QString>

// The text of an RTF document: its body, tables (cells end with a tab), headers and
// footers and field results, without font tables, style sheets, pictures, embedded
// objects and other ignorable destinations. \'hh bytes are Windows-1252, \uN
// characters are Unicode with their \ucN fallback skipped. A document that ends
// early gives the text up to there. False with the reason in error only for groups
// nested deeper than kMaxRtfDepth or an exhausted budget.
inline constexpr int kMaxRtfDepth = 1000;

bool ExtractRtfText(QByteArrayView bytes, TExtractionBudget& budget, QString& text, QString& error);
