#include "platform/FtpListParser.h"

#include "model/AnsiCodec.h"
#include "platform/FtpListFormats.h"

#include <cstdint>
#include <string>
#include <utility>

namespace {

bool ParseAnyLine(const FtpLine& line, const DateTimeParts& now, FtpSystem system, FtpRawEntry& entry,
                  As400Stamp& stamp)
{
    if (line.text.front() == '+')
        return ParseEplfLine(line.text, entry);
    if (LooksLikeFactsLine(line.text))
        return ParseFactsLine(line.text, entry);
    // Where a server said what it is, its own layout goes first.
    if (system == FtpSystem::Os400 && ParseAs400Line(line, entry, stamp))
        return true;
    if (system == FtpSystem::Vm && ParseCmsLine(line, entry))
        return true;
    return ParseUnixLine(line, now, entry) || ParseDosLine(line, entry) || ParseOs2Line(line, entry) ||
           ParseVmsLine(line, entry) || ParseAs400Line(line, entry, stamp) || ParseCmsLine(line, entry) ||
           ParseNonStopLine(line, entry) || ParseVxWorksLine(line, entry) || ParseOs9Line(line, entry) ||
           ParseNortelLine(line, entry);
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

FtpSystem FtpSystemFromSystReply(const QByteArray& reply)
{
    QByteArray text = reply.trimmed();
    if (text.size() > 4 && text.startsWith("215") && (text[3] == ' ' || text[3] == '-'))
        text = text.mid(4).trimmed();
    text = text.toUpper();
    if (text.startsWith("OS/400"))
        return FtpSystem::Os400;
    if (text.startsWith("MVS"))
        return FtpSystem::Mvs;
    if (text.startsWith("VMS") || text.startsWith("OPENVMS"))
        return FtpSystem::Vms;
    if (text.startsWith("Z/VM") || text.startsWith("VM/") || text.startsWith("VM "))
        return FtpSystem::Vm;
    if (text.startsWith("WINDOWS"))
        return FtpSystem::Windows;
    if (text.startsWith("UNIX"))
        return FtpSystem::Unix;
    return FtpSystem::Unknown;
}

FtpListing ParseFtpListing(const QByteArray& listing, const DateTimeParts& now, FtpSystem system)
{
    enum class Layout { Any, MvsDatasets, MvsMembers, MvsLoadModules } layout = Layout::Any;
    FtpListing result;
    std::vector<std::pair<size_t, As400Stamp>> as400Dates;
    auto unreadable = [&result](std::string_view text) {
        if (result.unreadableLines++ == 0)
            result.firstUnreadableLine =
                BytesOf(text.substr(0, static_cast<size_t>(kFtpUnreadableLineBytes)));
    };
    qsizetype position = 0;
    while (position < listing.size()) {
        const std::string_view text = LineAt(listing, position);
        if (text.size() > static_cast<size_t>(kFtpMaxLineBytes)) {
            unreadable(text);
            continue;
        }
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
        if (IsMvsLoadModuleHeader(line)) {
            layout = Layout::MvsLoadModules;
            continue;
        }
        FtpRawEntry entry;
        As400Stamp stamp;
        bool parsed = false;
        switch (layout) {
        case Layout::MvsDatasets:
            parsed = ParseMvsDatasetLine(line, entry);
            break;
        case Layout::MvsMembers:
            parsed = ParseMvsMemberLine(line, entry);
            break;
        case Layout::MvsLoadModules:
            parsed = ParseMvsLoadModuleLine(line, entry);
            break;
        case Layout::Any:
            parsed = ParseAnyLine(line, now, system, entry, stamp);
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
            if (continuation.size() <= static_cast<size_t>(kFtpMaxLineBytes) &&
                ParseVmsLine(FtpLine(joined), entry)) {
                parsed = true;
                position = next;
            }
        }
        if (!parsed) {
            if (!IsListingNoise(line))
                unreadable(text);
            continue;
        }
        if (!IsUsableName(entry.name))
            continue;
        if (stamp.separator != 0)
            as400Dates.emplace_back(result.entries.size(), stamp);
        result.entries.push_back(std::move(entry));
    }
    // The date format of an AS/400 job holds for the whole listing.
    if (!as400Dates.empty()) {
        std::vector<As400Stamp> stamps;
        stamps.reserve(as400Dates.size());
        for (const auto& item : as400Dates)
            stamps.push_back(item.second);
        const As400DateOrder order = DecideAs400DateOrder(stamps);
        for (const auto& [index, stamp] : as400Dates)
            result.entries[index].dateTime = As400DateTime(stamp, order);
    }
    return result;
}

QString FtpLineLogText(const QByteArray& line, qsizetype maxChars)
{
    QString text = DecodeFtpName(line);
    for (QChar& c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = u'?';
    }
    if (text.size() > maxChars)
        text.truncate(maxChars > 0 && text[maxChars - 1].isHighSurrogate() ? maxChars - 1 : maxChars);
    return text;
}

QString DecodeFtpName(const QByteArray& raw, FtpNameEncoding encoding)
{
    return encoding == FtpNameEncoding::Utf8 || IsValidUtf8(raw) ? QString::fromUtf8(raw) : FromAnsi(raw);
}

FtpListEntry ToFtpListEntry(const FtpRawEntry& raw, FtpNameEncoding encoding)
{
    FtpListEntry entry;
    entry.name = DecodeFtpName(raw.name, encoding);
    entry.isDirectory = raw.isDirectory;
    entry.isSymlink = raw.isSymlink;
    // The search keeps sizes as signed 64-bit numbers: only sizes of 8 EiB and
    // more, which no real file has, lose anything.
    entry.size = raw.size > static_cast<uint64_t>(INT64_MAX) ? INT64_MAX : static_cast<int64_t>(raw.size);
    entry.dateTime = raw.dateTime;
    entry.uniqueId = QString::fromLatin1(raw.uniqueId);
    return entry;
}
