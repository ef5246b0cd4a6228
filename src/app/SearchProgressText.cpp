#include "app/SearchProgressText.h"

#include "model/CountText.h"

// Exact text: "Finishing search..." is the engine's log line; the status text and
// its "Working on ..." form are compared by the progress text tests.
QString RunningStatusText(const QString& newestLine, qint64 lineAgeMs, const QStringList& activities)
{
    const bool lineTellsNow = lineAgeMs < kStaleLogLineMs && newestLine != u"Finishing search...";
    if (activities.isEmpty() || (lineTellsNow && !newestLine.isEmpty()))
        return newestLine;
    QString text = QStringLiteral("Working on ") + activities.first();
    if (activities.size() > 1)
        text += QStringLiteral(" and ") +
                CountText(activities.size() - 1, QStringLiteral("other"), QStringLiteral("others"));
    return text;
}
