#include "app/SearchHistory.h"

void AddHistoryItem(QStringList& history, const QString& text)
{
    if (!history.contains(text, Qt::CaseInsensitive))
        history.prepend(text);
    while (history.size() > kHistoryLimit)
        history.removeLast();
}
