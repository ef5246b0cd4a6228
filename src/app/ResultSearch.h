#pragma once

#include "model/ItemRecord.h"

#include <QString>
#include <functional>

// The row of the first record after findPosition whose full name contains text
// without regard to case; -1 when there is none up to the end (no wrap-around).
qsizetype FindNextItem(const TItemList& items, qsizetype findPosition, const QString& text);
// The same over `count` rows whose records `recordAt` gives (the rows a filter shows).
qsizetype FindNextItem(qsizetype count, qsizetype findPosition, const QString& text,
                       const std::function<const TItemRecord&(qsizetype)>& recordAt);

// "Found %u files, total size %s": the record count and the size text of the sum of
// all sizes.
QString ResultSummaryText(const TItemList& items);
