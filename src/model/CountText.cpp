#include "model/CountText.h"

QString CountText(qint64 count, const QString& singular, const QString& plural)
{
    return QString::number(count) + u' ' + (count == 1 ? singular : plural);
}
