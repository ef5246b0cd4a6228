#include "engine/IpRange.h"

#include "engine/SearchLog.h"
#include "model/IpAddress.h"

#include <optional>

namespace {

struct ParsedEnds {
    uint32_t first = kInaddrNone;
    uint32_t last = kInaddrNone;
};

// "a.b.c.d/n": the block's network and broadcast ends, or nothing when the text is
// not CIDR notation (then the entry goes through the hyphen rules and, having no
// hyphen, ends as an invalid range with both ends 255.255.255.255).
std::optional<ParsedEnds> ParseCidr(const QString& text)
{
    const qsizetype slash = text.indexOf(u'/');
    if (slash < 0)
        return std::nullopt;
    const QString prefixText = text.mid(slash + 1).trimmed();
    if (prefixText.isEmpty() || prefixText.size() > 2)
        return std::nullopt;
    for (QChar c : prefixText) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
    }
    const int prefix = prefixText.toInt();
    if (prefix > 32)
        return std::nullopt;
    const QString addressText = text.left(slash).trimmed();
    if (addressText.isEmpty())
        return std::nullopt;
    const uint32_t address = TextToIp(addressText);
    // inet_addr cannot tell 255.255.255.255 from a parse failure; neither can be the
    // end of a valid block, so both end here.
    if (address == kInaddrNone)
        return std::nullopt;
    const uint32_t mask = prefix == 0 ? 0u : ~uint32_t{0} << (32 - prefix);
    const uint32_t network = SwapByteOrder32(address) & mask;
    return ParsedEnds{SwapByteOrder32(network), SwapByteOrder32(network | ~mask)};
}

ParsedEnds ParseHyphenated(const QString& text)
{
    const qsizetype hyphen = text.indexOf(u'-');
    const QString firstText = hyphen < 0 ? QString() : text.left(hyphen).trimmed();
    const QString lastText = (hyphen < 0 ? text : text.mid(hyphen + 1)).trimmed();
    return ParsedEnds{TextToIp(firstText), TextToIp(lastText)};
}

bool IsUsableEnd(uint32_t address)
{
    return address != 0 && address != kInaddrNone;
}

} // namespace

bool ParseIPRange(const QString& text, uint32_t& first, uint32_t& last, TEngineSearchLog* log)
{
    std::optional<ParsedEnds> ends;
    if (!text.contains(u'-'))
        ends = ParseCidr(text);
    if (!ends)
        ends = ParseHyphenated(text);
    first = ends->first;
    last = ends->last;

    const bool valid =
        IsUsableEnd(first) && IsUsableEnd(last) && SwapByteOrder32(first) < SwapByteOrder32(last);
    if (log && valid) {
        // The count is unsigned: a range may hold more than 2^31 addresses.
        // Exact text: the range lines tell users which ranges were searched; unattended
        // runs print the invalid one on the error output, and the tests match both.
        log->AddEntry(TSearchLogKind::Scope,
                      QStringLiteral("IP Range of %1 addresses is valid (").arg(IPRangeCount(first, last)) +
                          text + u')');
    } else if (log) {
        log->AddEntry(TSearchLogKind::Error, QStringLiteral("IP Range is invalid (") + text + u')');
    }
    return valid;
}

uint64_t IPRangeCount(uint32_t first, uint32_t last)
{
    const uint32_t low = SwapByteOrder32(first);
    const uint32_t high = SwapByteOrder32(last);
    return high < low ? 0 : uint64_t{high} - low + 1;
}

uint32_t IPRangeAddresses::Iterator::operator*() const
{
    return SwapByteOrder32(m_firstHostOrder + static_cast<uint32_t>(m_offset));
}

IPRangeAddresses::IPRangeAddresses(uint32_t first, uint32_t last)
    : m_firstHostOrder(SwapByteOrder32(first)), m_count(IPRangeCount(first, last))
{
}
