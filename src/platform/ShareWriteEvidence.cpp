#include "platform/ShareWriteEvidence.h"

#include <QRegularExpression>
#include <QStringList>
#include <cstdint>

namespace {

constexpr uint32_t kFileAddFile = 0x00000002; // FILE_WRITE_DATA on a file
constexpr uint32_t kGenericAll = 0x10000000;
constexpr uint32_t kGenericWrite = 0x40000000;
constexpr uint32_t kWriteRights = kFileAddFile | kGenericAll | kGenericWrite;
constexpr uint32_t kInheritOnly = 0x08;
constexpr uint32_t kAccessAllowed = 0;
constexpr uint32_t kAccessDenied = 1;
constexpr uint32_t kAccessDeniedObject = 6;

struct TAce {
    QString sid;
    uint32_t type = 0;
    uint32_t flags = 0;
    uint32_t mask = 0;
};

// "S-1-1-0:0/0/0x001f01ff" (the text after "ACL:"); false when it is not of that form.
bool ParseAce(const QString& text, TAce& ace)
{
    const qsizetype colon = text.lastIndexOf(u':');
    if (colon <= 0)
        return false;
    const QStringList numbers = text.mid(colon + 1).split(u'/');
    if (numbers.size() != 3)
        return false;
    bool typeOk = false, flagsOk = false, maskOk = false;
    ace.sid = text.left(colon);
    ace.type = numbers[0].toUInt(&typeOk, 0);
    ace.flags = numbers[1].toUInt(&flagsOk, 0);
    ace.mask = numbers[2].toUInt(&maskOk, 0);
    return typeOk && flagsOk && maskOk;
}

bool AppliesToEveryLogon(const QString& sid)
{
    return sid == u"S-1-1-0" || sid == u"S-1-5-11";
}

} // namespace

bool DescriptorGrantsWrite(const QString& descriptor)
{
    static const QRegularExpression kSeparators(QStringLiteral("[,\\t\\r\\n]"));
    bool granted = false;
    for (const QString& entry : descriptor.split(kSeparators, Qt::SkipEmptyParts)) {
        if (!entry.startsWith(QStringLiteral("ACL:"), Qt::CaseInsensitive))
            continue;
        TAce ace;
        if (!ParseAce(entry.mid(4), ace))
            return false; // a descriptor only partly understood proves nothing
        if ((ace.flags & kInheritOnly) != 0 || (ace.mask & kWriteRights) == 0)
            continue;
        if (ace.type == kAccessDenied || ace.type == kAccessDeniedObject)
            return false;
        if (ace.type == kAccessAllowed && AppliesToEveryLogon(ace.sid))
            granted = true;
    }
    return granted;
}
