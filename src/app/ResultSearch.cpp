#include "app/ResultSearch.h"

qsizetype FindNextItem(qsizetype count, qsizetype findPosition, const QString& text,
                       const std::function<const TItemRecord&(qsizetype)>& recordAt)
{
    for (qsizetype row = std::max<qsizetype>(findPosition + 1, 0); row < count; ++row) {
        if (recordAt(row).FileName.contains(text, Qt::CaseInsensitive))
            return row;
    }
    return -1;
}

qsizetype FindNextItem(const TItemList& items, qsizetype findPosition, const QString& text)
{
    return FindNextItem(items.size(), findPosition, text,
                        [&items](qsizetype row) -> const TItemRecord& { return items.at(row); });
}

QString ResultSummaryText(const TItemList& items)
{
    int64_t total = 0;
    for (const TItemRecord& item : items)
        total += item.Size;
    // Exact text: the result summary in the status bar; the result text tests compare it.
    return QStringLiteral("Found %1 files, total size %2").arg(items.size()).arg(SizeText(total));
}
