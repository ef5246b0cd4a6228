#include "engine/ScopeText.h"

namespace {

constexpr qsizetype kNamedEntries = 3;

QString ListText(const QStringList& list)
{
    QStringList named;
    for (const QString& entry : list) {
        const QString trimmed = entry.trimmed();
        if (!trimmed.isEmpty())
            named.append(trimmed);
    }
    const qsizetype more = named.size() - kNamedEntries;
    if (more <= 0)
        return named.join(QStringLiteral(", "));
    return named.mid(0, kNamedEntries).join(QStringLiteral(", ")) + QStringLiteral(" and %1 more").arg(more);
}

} // namespace

// Exact text: the root named in the log's first line ("... with root '...'"); users
// read it back and the scope and browse tests compare it.
QString SearchScopeText(TSearchType type, const QStringList& list, const TScopeRoot& root)
{
    QString rootText = root.Assigned ? root.Resource.RemoteName : QStringLiteral("Entire Network");
    switch (type) {
    case TSearchType::EntireNetwork:
        return rootText;
    case TSearchType::ExcludedComputers:
        return rootText + QStringLiteral(" except ") + ListText(list);
    case TSearchType::SpecifiedComputers:
    case TSearchType::IpAddressRange:
        return ListText(list);
    default:
        return QStringLiteral("Nothing");
    }
}
