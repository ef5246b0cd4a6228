#pragma once

#include "engine/HostProgress.h"

#include <QByteArray>
#include <QString>
#include <vector>

// The per-host summary of a search, for scripts: one CSV row per share (a host
// without shares has one row with the share fields empty), or one JSON object per
// host with its shares. Fields: host, state, detail, hits, bytes searched, seconds,
// and per share its name, its access ("READ/WRITE", "READ" or "NO ACCESS"), the
// share's comment from the host's share list and, without access, the error.
//
// CSV: a header row, comma-separated, fields in double quotes where they hold a
// comma, a quote or a line break (quotes doubled), CRLF line ends, UTF-8.
QByteArray HostSummaryCsv(const std::vector<THostProgressLine>& lines);
// JSON: {"hosts": [{"host": ..., "state": ..., "shares": [{"share", "access", "comment", "error"}]}]},
// UTF-8.
QByteArray HostSummaryJson(const std::vector<THostProgressLine>& lines);
// Writes the summary to fileName: JSON when the name ends in ".json", else CSV.
// Raises EKestrovaError with the file's error message.
void SaveHostSummary(const QString& fileName, const std::vector<THostProgressLine>& lines);
