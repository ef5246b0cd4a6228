#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

// The program's switches, read from its arguments (the program name excluded).
//
// Prefix switches ("/range:", "/mask:", "/text:", "/exporthtm:", ...) match an argument
// that begins with the switch text in any letter case; their value is the rest of the
// argument as it stands. Whole switches (hide, close) match "/" or "-" followed by the
// name and nothing else, or the bare name, in any letter case. Arguments that match
// nothing are reported by unknownArguments() (the program warns about them and an
// unattended run ends on them).
class TCommandLine {
public:
    // CsvWithHeader: a CSV export while "/csvheader" is given (header row, ISO dates).
    enum class ExportKind { Html, Xml, Csv, CsvWithHeader, Results, JsonLines };

    struct Export {
        ExportKind kind;
        QString fileName; // as written, placeholders not yet expanded
    };

    // Where the second pass leaves the two boxes: every "/mask:" and "/text:" in
    // argument order, the last of each kind winning.
    struct SearchPreset {
        bool hasMask = false;
        QString mask; // lower-cased
        bool hasText = false;
        QString text; // lower-cased
    };

    explicit TCommandLine(QStringList arguments = {});

    const QStringList& arguments() const { return m_arguments; }
    bool isEmpty() const { return m_arguments.isEmpty(); }

    bool hasWholeSwitch(const QString& name) const;
    bool hide() const { return hasWholeSwitch(QStringLiteral("hide")); }
    bool close() const { return hasWholeSwitch(QStringLiteral("close")); }
    // CSV exports of the command line get a header row and ISO 8601 dates.
    bool csvHeader() const { return hasWholeSwitch(QStringLiteral("csvheader")); }
    bool help() const;
    bool version() const;

    // The value of the last "/range:" argument; empty optional-like (hasRange false)
    // when there is none.
    bool hasRange() const;
    QString lastRange() const;

    SearchPreset searchPreset() const;

    // The export switches in argument order.
    QList<Export> exports() const;

    // The arguments that are no switch of the program (typing errors such as
    // "/exprotcsv:x"), in argument order.
    QStringList unknownArguments() const;

    // True when argument begins with prefix in any letter case; value gets the rest.
    static bool matchPrefix(const QString& argument, const QString& prefix, QString* value = nullptr);
    // True when argument is name, or "/" or "-" followed by name, in any letter case.
    static bool matchWhole(const QString& argument, const QString& name);

private:
    QStringList m_arguments;
};

// Replaces the first "%date%" by now's date as yyyy-MM-dd, then the first "%time%"
// by now's time as HH-mm-ss (24-hour). Both placeholders are matched in exactly
// this letter case; later occurrences stay.
QString ExpandExportFileName(const QString& fileName, const QDateTime& now);

// The text of --help.
QString CommandLineHelpText();
