#pragma once

#include <QString>

// "1 byte", "2 bytes": the count and the noun that fits it (English has one form for
// exactly one, another for every other count, zero included). For the program's own
// texts; texts whose wording is fixed keep it.
QString CountText(qint64 count, const QString& singular, const QString& plural);
