#include "dialogs/IPRangeCheck.h"

#include "dialogs/DialogPrompts.h"
#include "engine/IpRange.h"

#include <QLocale>

namespace {

// Exact text: the count in the large-range question, which the IP dialog tests
// answer by its wording.
QString AddressCount(uint64_t count)
{
    return QLocale().toString(qulonglong(count)) +
           (count == 1 ? QStringLiteral(" address") : QStringLiteral(" addresses"));
}

} // namespace

TIPRangeCheck CheckIPRangeEntry(const QString& entry)
{
    TIPRangeCheck check;
    uint32_t first = 0;
    uint32_t last = 0;
    check.Valid = ParseIPRange(entry, first, last);
    if (check.Valid) {
        check.Count = IPRangeCount(first, last);
        check.Text = AddressCount(check.Count);
    } else {
        check.Text = QStringLiteral("Not a valid range: two different addresses, the lower first "
                                    "(192.168.1.1 - 192.168.1.50), or address/prefix (192.168.1.0/24)");
    }
    return check;
}

bool ConfirmLargeIPRange(QWidget* owner, const TIPRangeCheck& check)
{
    if (!check.Valid || check.Count <= kLargeIPRange)
        return true;
    return DialogPrompts().askYesNo(owner, QStringLiteral("Kestrova"),
                                    QStringLiteral("This range holds %1. A search probes every one of them "
                                                   "and may take hours. Use it anyway?")
                                        .arg(AddressCount(check.Count)));
}
