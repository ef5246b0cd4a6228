#include "app/ResultSearch.h"

qsizetype FindNextItem(const TItemList& items, qsizetype findPosition, const QString& text)
{
    for (qsizetype row = std::max<qsizetype>(findPosition + 1, 0); row < items.size(); ++row) {
        if (items.at(row).FileName.contains(text, Qt::CaseInsensitive))
            return row;
    }
    return -1;
}

QString ResultSummaryText(const TItemList& items)
{
    int64_t total = 0;
    for (const TItemRecord& item : items)
        total += item.Size;
    return QStringLiteral("Found %1 files, total size %2").arg(items.size()).arg(SizeText(total));
}
