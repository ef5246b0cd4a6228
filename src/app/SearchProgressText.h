#pragma once

#include <QString>
#include <QStringList>

// After this long without a new log line, the newest one no longer tells what the
// search is doing (a host that hangs keeps an old error line on show).
constexpr qint64 kStaleLogLineMs = 5000;

// The status text of a running search: the newest log line while it is fresh; when it
// is stale, or it is "Finishing search..." while workers still run (the queue is done,
// the hosts are not), what the workers are doing now ("Working on \\HOST\docs and 2
// others"). activities holds the running workers' activity texts, in list order.
QString RunningStatusText(const QString& newestLine, qint64 lineAgeMs, const QStringList& activities);
