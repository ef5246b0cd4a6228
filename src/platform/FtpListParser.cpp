#include "platform/FtpListParser.h"

#include "model/AnsiCodec.h"
#include "platform/FtpListFormats.h"

#include <string>

namespace {

bool ParseAnyLine(const FtpLine& line, const DateTimeParts& now, FtpRawEntry& entry)
{
    if (line.text.front() == '+')
        return ParseEplfLine(line.text, entry);
    return ParseFactsLine(line.text, entry) || ParseUnixLine(line, now, entry) || ParseDosLine(line, entry) ||
           ParseOs2Line(line, entry) || ParseVmsLine(line, entry) || ParseAs400Line(line, entry);
}

// A name the walk can use as one path segment.
bool IsUsableName(const QByteArray& name)
{
    return !name.isEmpty() && name != "." && name != ".." && !name.contains('/') && !name.contains('\0');
}

std::string_view LineAt(const QByteArray& listing, qsizetype& position)
{
    const qsizetype end = listing.indexOf('\n', position);
    const qsizetype stop = end < 0 ? listing.size() : end;
    std::string_view line(listing.constData() + position, static_cast<size_t>(stop - position));
    position = end < 0 ? listing.size() : end + 1;
    while (!line.empty() && (line.back() == '\r' || line.back() == '\0'))
        line.remove_suffix(1);
    return line;
}

bool IsValidUtf8(const QByteArray& bytes)
{
    const auto* s = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        const unsigned char c = s[i];
        int length = 0;
        uint32_t code = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
            code = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            code = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            code = c & 0x07;
        } else {
            return false;
        }
        if (i + length > n)
            return false;
        for (int k = 1; k < length; ++k) {
            if ((s[i + k] & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (s[i + k] & 0x3F);
        }
        // Overlong forms, UTF-16 surrogates and code points past U+10FFFF.
        if ((length == 3 && code < 0x800) || (length == 4 && code < 0x10000) || code > 0x10FFFF ||
            (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
}

} // namespace

std::vector<FtpRawEntry> ParseFtpListing(const QByteArray& listing, const DateTimeParts& now)
{
    enum class Layout { Any, MvsDatasets, MvsMembers } layout = Layout::Any;
    std::vector<FtpRawEntry> entries;
    qsizetype position = 0;
    while (position < listing.size()) {
        const std::string_view text = LineAt(listing, position);
        const FtpLine line(text);
        if (line.size() == 0)
            continue;
        if (IsMvsDatasetHeader(line)) {
            layout = Layout::MvsDatasets;
            continue;
        }
        if (IsMvsMemberHeader(line)) {
            layout = Layout::MvsMembers;
            continue;
        }
        FtpRawEntry entry;
        bool parsed = false;
        switch (layout) {
        case Layout::MvsDatasets:
            parsed = ParseMvsDatasetLine(line, entry);
            break;
        case Layout::MvsMembers:
            parsed = ParseMvsMemberLine(line, entry);
            break;
        case Layout::Any:
            parsed = ParseAnyLine(line, now, entry);
            break;
        }
        // VMS wraps an entry whose name fills the column: the name alone, then
        // the rest of the entry on an indented line.
        if (!parsed && IsVmsNameOnly(line) && position < listing.size() &&
            (listing[position] == ' ' || listing[position] == '\t')) {
            qsizetype next = position;
            const std::string_view continuation = LineAt(listing, next);
            std::string joined(text);
            joined += ' ';
            joined += continuation;
            if (ParseVmsLine(FtpLine(joined), entry)) {
                parsed = true;
                position = next;
            }
        }
        if (parsed && IsUsableName(entry.name))
            entries.push_back(std::move(entry));
    }
    return entries;
}

QString DecodeFtpName(const QByteArray& raw)
{
    return IsValidUtf8(raw) ? QString::fromUtf8(raw) : FromAnsi(raw);
}

FtpListEntry ToFtpListEntry(const FtpRawEntry& raw)
{
    FtpListEntry entry;
    entry.name = DecodeFtpName(raw.name);
    entry.isDirectory = raw.isDirectory;
    entry.isSymlink = raw.isSymlink;
    entry.size = raw.size;
    entry.dateTime = raw.dateTime;
    entry.uniqueId = QString::fromLatin1(raw.uniqueId);
    return entry;
}
