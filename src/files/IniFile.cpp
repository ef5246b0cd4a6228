#include "files/IniFile.h"

#include "files/AtomicFile.h"
#include "model/AnsiCodec.h"
#include "model/DateTime.h"
#include "model/Error.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <algorithm>
#include <cmath>

namespace {

bool IsBlank(QChar ch)
{
    return ch == u' ' || ch == u'\t';
}

bool IsQuote(QChar ch)
{
    return ch == u'"' || ch == u'\'';
}

bool IsLineBreak(QChar ch)
{
    return ch == u'\r' || ch == u'\n';
}

QString TrimBlanks(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && IsBlank(text.at(begin)))
        ++begin;
    while (end > begin && IsBlank(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

QString Fold(const QString& name)
{
    return name.toCaseFolded();
}

// The name of a "[name]" line: up to the first "]" (or the end), without blanks.
QString SectionName(const QString& trimmedHeader)
{
    const qsizetype close = trimmedHeader.indexOf(u']');
    return TrimBlanks(trimmedHeader.mid(1, close < 0 ? -1 : close - 1));
}

QList<QString> SplitLines(const QString& text)
{
    QList<QString> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!IsLineBreak(text.at(i)))
            continue;
        lines.append(text.mid(start, i - start));
        if (text.at(i) == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.append(text.mid(start));
    return lines;
}

QString DecodeFileText(QByteArrayView bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        return FromAnsi(bytes.data(), bytes.size());
    return text;
}

QByteArray ReadWholeFile(const QString& fileName, bool& exists)
{
    exists = QFileInfo::exists(fileName);
    if (!exists)
        return {};
    QFile file(fileName);
    if (QFileInfo(fileName).isDir() || !file.open(QIODevice::ReadOnly))
        throw EKestrovaError(QStringLiteral("Cannot read %1: %2")
                                 .arg(fileName, QFileInfo(fileName).isDir() ? QStringLiteral("Is a directory")
                                                                            : file.errorString()));
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw EKestrovaError(QStringLiteral("Cannot read %1: %2").arg(fileName, file.errorString()));
    return bytes;
}

bool ParseDecimal(QStringView text, int32_t& value)
{
    bool negative = false;
    if (!text.isEmpty() && (text.front() == u'+' || text.front() == u'-')) {
        negative = text.front() == u'-';
        text = text.sliced(1);
    }
    if (text.isEmpty())
        return false;
    int64_t magnitude = 0;
    for (const QChar ch : text) {
        if (ch < u'0' || ch > u'9')
            return false;
        magnitude = magnitude * 10 + (ch.unicode() - u'0');
        if (magnitude > int64_t{INT32_MAX} + 1)
            return false;
    }
    const int64_t signedValue = negative ? -magnitude : magnitude;
    if (signedValue > INT32_MAX)
        return false;
    value = static_cast<int32_t>(signedValue);
    return true;
}

bool ParseHexadecimal(QStringView digits, int32_t& value)
{
    if (digits.isEmpty())
        return false;
    uint64_t pattern = 0;
    for (const QChar ch : digits) {
        int digit;
        if (ch >= u'0' && ch <= u'9')
            digit = ch.unicode() - u'0';
        else if (ch >= u'a' && ch <= u'f')
            digit = ch.unicode() - u'a' + 10;
        else if (ch >= u'A' && ch <= u'F')
            digit = ch.unicode() - u'A' + 10;
        else
            return false;
        pattern = (pattern << 4) | static_cast<uint64_t>(digit);
        if (pattern > UINT32_MAX)
            return false;
    }
    value = static_cast<int32_t>(static_cast<uint32_t>(pattern));
    return true;
}

bool ParseInteger(const QString& text, int32_t& value)
{
    if (text.startsWith(u"0x") || text.startsWith(u"0X"))
        return ParseHexadecimal(QStringView(text).sliced(2), value);
    return ParseDecimal(text, value);
}

void CheckName(const QString& name, const char* what)
{
    const bool bad =
        TrimBlanks(name).isEmpty() || name != TrimBlanks(name) ||
        std::any_of(name.cbegin(), name.cend(), IsLineBreak) ||
        (QByteArrayView(what) == "key" ? name.contains(u'=') || name.startsWith(u'[') : name.contains(u']'));
    if (bad)
        throw EKestrovaError(QStringLiteral("Invalid INI %1 name \"%2\"").arg(QLatin1StringView(what), name));
}

} // namespace

QString DecodeIniValue(const QString& stored)
{
    QString value = TrimBlanks(stored);
    if (value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front())
        return value.mid(1, value.size() - 2);
    return value;
}

QString EncodeIniValue(const QString& value)
{
    QString line = value;
    for (QChar& ch : line) {
        if (IsLineBreak(ch))
            ch = u' ';
    }
    if (line.isEmpty())
        return line;
    const bool changesOnReading = IsBlank(line.front()) || IsBlank(line.back()) ||
                                  (line.size() >= 2 && IsQuote(line.front()) && line.back() == line.front());
    return changesOnReading ? u'"' + line + u'"' : line;
}

TIniFile::TIniFile(const QString& fileName) : m_fileName(fileName)
{
    bool exists = false;
    const QByteArray bytes = ReadWholeFile(fileName, exists);
    if (exists)
        Parse(DecodeFileText(bytes));
}

void TIniFile::Parse(const QString& text)
{
    for (const QString& line : SplitLines(text)) {
        const QString trimmed = TrimBlanks(line);
        if (trimmed.startsWith(u'[')) {
            const QString folded = Fold(SectionName(trimmed));
            if (!m_sectionIndex.contains(folded)) // a repeated section name: the first counts
                m_sectionIndex.insert(folded, m_sections.size());
            m_sections.append(Section{line, {}, {}});
            continue;
        }
        if (m_sections.isEmpty()) {
            m_preamble.append(line);
            continue;
        }
        Section& section = m_sections.last();
        Line entry{line, {}};
        const qsizetype equals = line.indexOf(u'=');
        if (equals >= 0) {
            const QString key = TrimBlanks(line.left(equals));
            if (!key.isEmpty()) {
                entry.foldedKey = Fold(key);
                if (!section.keyIndex.contains(entry.foldedKey))
                    section.keyIndex.insert(entry.foldedKey, section.lines.size());
            }
        }
        section.lines.append(entry);
    }
}

const TIniFile::Line* TIniFile::FindLine(const QString& section, const QString& key) const
{
    const auto sectionAt = m_sectionIndex.constFind(Fold(section));
    if (sectionAt == m_sectionIndex.cend())
        return nullptr;
    const Section& found = m_sections.at(*sectionAt);
    const auto lineAt = found.keyIndex.constFind(Fold(key));
    return lineAt == found.keyIndex.cend() ? nullptr : &found.lines.at(*lineAt);
}

bool TIniFile::SectionExists(const QString& section) const
{
    return m_sectionIndex.contains(Fold(section));
}

QString TIniFile::ReadString(const QString& section, const QString& key, const QString& defaultValue) const
{
    const Line* line = FindLine(section, key);
    if (!line)
        return defaultValue;
    return DecodeIniValue(line->text.mid(line->text.indexOf(u'=') + 1));
}

int32_t TIniFile::ReadInteger(const QString& section, const QString& key, int32_t defaultValue) const
{
    int32_t value = 0;
    return ParseInteger(ReadString(section, key, QString()), value) ? value : defaultValue;
}

bool TIniFile::ReadBool(const QString& section, const QString& key, bool defaultValue) const
{
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

double TIniFile::ReadDate(const QString& section, const QString& key, double defaultValue) const
{
    const QDate date = QDate::fromString(ReadString(section, key, QString()), QStringLiteral("yyyy-M-d"));
    if (!date.isValid())
        return defaultValue;
    double value = 0;
    return TryEncodeDateTime({date.year(), date.month(), date.day()}, value) ? value : defaultValue;
}

TIniFile::Section& TIniFile::SectionForWriting(const QString& section)
{
    CheckName(section, "section");
    const QString folded = Fold(section);
    if (const auto at = m_sectionIndex.constFind(folded); at != m_sectionIndex.cend())
        return m_sections[*at];

    // A blank line before a new section keeps the file readable by eye.
    if (m_sections.isEmpty()) {
        if (!m_preamble.isEmpty() && !TrimBlanks(m_preamble.last()).isEmpty())
            m_preamble.append(QString());
    } else {
        Section& last = m_sections.last();
        if (last.lines.isEmpty() || !TrimBlanks(last.lines.last().text).isEmpty())
            last.lines.append(Line{});
    }
    m_sectionIndex.insert(folded, m_sections.size());
    m_sections.append(Section{u'[' + section + u']', {}, {}});
    return m_sections.last();
}

void TIniFile::WriteString(const QString& section, const QString& key, const QString& value)
{
    CheckName(key, "key");
    Section& target = SectionForWriting(section);
    const QString text = key + u'=' + EncodeIniValue(value);
    const QString folded = Fold(key);
    if (const auto at = target.keyIndex.constFind(folded); at != target.keyIndex.cend()) {
        target.lines[*at].text = text;
        return;
    }
    // A new key goes after the section's last non-blank line, so blank lines that
    // separate it from the next section stay at its end. Only blank lines follow that
    // position, so no key moves and keyIndex stays valid.
    qsizetype position = target.lines.size();
    while (position > 0 && TrimBlanks(target.lines.at(position - 1).text).isEmpty())
        --position;
    target.lines.insert(position, Line{text, folded});
    target.keyIndex.insert(folded, position);
}

void TIniFile::WriteInteger(const QString& section, const QString& key, int32_t value)
{
    WriteString(section, key, QString::number(value));
}

void TIniFile::WriteBool(const QString& section, const QString& key, bool value)
{
    // Exact text: settings files written by earlier versions hold booleans as 1 and 0,
    // and they read what this writes.
    WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void TIniFile::WriteDate(const QString& section, const QString& key, double dateTime)
{
    // A value that is no date at all is written empty and so reads back as the default.
    QString text;
    // The range check keeps the conversion away from values outside years 1 to 9999.
    if (std::isfinite(dateTime) && dateTime > -693594.0 && dateTime < 2958466.0) {
        const DateTimeParts parts = DecodeDateTime(dateTime);
        const QDate date(parts.year, parts.month, parts.day);
        if (date.isValid() && parts.year >= 1 && parts.year <= 9999)
            // Exact text: the date form of settings files (DateFrom, DateTo), read back by
            // earlier versions and compared by the INI tests.
            text = date.toString(QStringLiteral("yyyy-MM-dd"));
    }
    WriteString(section, key, text);
}

QByteArray TIniFile::ToBytes() const
{
    QString text;
    const auto appendLine = [&text](const QString& line) {
        text += line;
        // Exact text: settings files have CRLF line ends, as earlier versions wrote
        // them; the INI tests compare the bytes.
        text += QStringLiteral("\r\n");
    };
    for (const QString& line : m_preamble)
        appendLine(line);
    for (const Section& section : m_sections) {
        appendLine(section.header);
        for (const Line& line : section.lines)
            appendLine(line.text);
    }
    return text.toUtf8();
}

void TIniFile::UpdateFile() const
{
    WriteFileAtomically(m_fileName, ToBytes(), m_beforeReplace);
}
