#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <cstdint>
#include <functional>

// An INI file held in memory: "[Section]" lines, then one "Key=Value" per line.
//
// Reading follows the rules of the classic profile functions, so hand-written files
// and files from other tools read as expected:
// - section and key names are compared without regard to case; when a name occurs
//   twice, the first occurrence counts; lines before the first section and lines
//   without "=" are ignored (and kept as they are);
// - the blanks (spaces, tabs) around a key and around a value are dropped, and a value
//   enclosed in a matching pair of double or single quotes loses that pair.
// Writing is the exact inverse: a value that would change under those rules (it
// starts or ends with a blank, or starts and ends with the same quote character) is
// written inside double quotes, so every value written reads back exactly. A value
// holds one line: line breaks inside it (CR, LF) are written as blanks, so no value
// can break the file's structure. Values have no length limit.
//
// A key written to a section that holds it replaces that line in place; a new key is
// added at the end of its section, a new section at the end of the file, in the order
// of writing. Lines not written keep their text.
//
// Encoding: the file is written as UTF-8 (no byte order mark) with CR LF line ends.
// On reading, a UTF-8 byte order mark is skipped, CR LF, LF and CR all end a line,
// and a file that is not valid UTF-8 is taken as Windows-1252, the code page of older
// settings files.
//
// Changes stay in memory until UpdateFile, which replaces the file atomically with
// owner-only permissions (it may hold passwords).
class TIniFile {
public:
    // Reads the file. A missing file is no error: every read gives its default and
    // UpdateFile creates it. A file that exists but cannot be read raises EKestrovaError.
    explicit TIniFile(const QString& fileName);

    const QString& FileName() const { return m_fileName; }

    bool SectionExists(const QString& section) const;

    QString ReadString(const QString& section, const QString& key, const QString& defaultValue) const;
    // Decimal with an optional sign, or "0x"/"0X" and up to eight hexadecimal digits
    // (taken as the 32-bit pattern, so 0xFFFFFFFF is -1); anything else, or a decimal
    // outside the 32-bit range, gives the default.
    int32_t ReadInteger(const QString& section, const QString& key, int32_t defaultValue) const;
    // An integer; any value but 0 is true. Missing or unreadable gives the default.
    bool ReadBool(const QString& section, const QString& key, bool defaultValue) const;
    // A date written by WriteDate ("yyyy-MM-dd", zero-padded fields optional), as a
    // date-time at midnight; a missing, empty or unparsable value gives the default.
    double ReadDate(const QString& section, const QString& key, double defaultValue) const;

    void WriteString(const QString& section, const QString& key, const QString& value);
    void WriteInteger(const QString& section, const QString& key, int32_t value);
    void WriteBool(const QString& section, const QString& key, bool value); // "1" or "0"
    // The date part alone, in the fixed ISO form "yyyy-MM-dd" so that a file reads the
    // same under every locale.
    void WriteDate(const QString& section, const QString& key, double dateTime);

    // The file's text as UpdateFile would write it.
    QByteArray ToBytes() const;
    // Replaces the file on disk with ToBytes() (see WriteFileAtomically).
    void UpdateFile() const;

    // Runs inside UpdateFile after the new contents are on disk, before they replace the
    // old file; lets tests interrupt a save at that point.
    void SetBeforeReplaceHook(std::function<void(const QString& tempPath)> hook)
    {
        m_beforeReplace = std::move(hook);
    }

private:
    struct Line {
        QString text;      // the whole line as it is written
        QString foldedKey; // case-folded key of a "key=value" line, else empty
    };
    struct Section {
        QString header; // the "[name]" line as it is written
        QList<Line> lines;
        QHash<QString, qsizetype> keyIndex; // folded key -> first line holding it
    };

    void Parse(const QString& text);
    const Line* FindLine(const QString& section, const QString& key) const;
    Section& SectionForWriting(const QString& section);

    QString m_fileName;
    QList<QString> m_preamble; // lines before the first section
    QList<Section> m_sections;
    QHash<QString, qsizetype> m_sectionIndex; // folded name -> first section of that name
    std::function<void(const QString&)> m_beforeReplace;
};

// How a stored value reads back (blanks around it dropped, a matching pair of quotes
// removed) and how a value is written so that it reads back exactly. Exposed for tests.
QString DecodeIniValue(const QString& stored);
QString EncodeIniValue(const QString& value);
