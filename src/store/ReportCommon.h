#pragma once

#include "model/Error.h"
#include "store/ReportExport.h"

#include <QString>
#include <exception>
#include <new>

// Pieces the three report writers share.

enum class TNameColumns { FullName, NameAndLocation, NameOnly };

inline TNameColumns NameColumnsFor(int fileNameDisplayFormat)
{
    switch (fileNameDisplayFormat) {
    case 0:
        return TNameColumns::FullName;
    case 1:
        return TNameColumns::NameAndLocation;
    default:
        return TNameColumns::NameOnly;
    }
}

// The size in bytes as the reports write it: an unsigned decimal of all 64 bits.
inline QString ByteCountText(const TItemRecord& item)
{
    return QString::number(static_cast<quint64>(item.Size));
}

// Runs one export, putting the format's prefix in front of any failure's message.
template <class TBody> void RunExport(const QString& prefix, TBody&& body)
{
    try {
        body();
    } catch (const EKestrovaError& error) {
        throw EKestrovaError(prefix + error.message(), error.code());
    } catch (const std::bad_alloc&) {
        throw EKestrovaError(prefix + QStringLiteral("Out of memory"));
    }
}
