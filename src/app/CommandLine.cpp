#include "app/CommandLine.h"

#include <algorithm>

namespace {

// Exact text: the switches below (these prefixes, the export prefixes, --help,
// --version, hide, close, csvheader) are what users' scripts and cron jobs pass;
// README and the help text name them and the unattended-run tests call them.
const QString kRange = QStringLiteral("/range:");
const QString kMask = QStringLiteral("/mask:");
const QString kText = QStringLiteral("/text:");

struct ExportPrefix {
    const char16_t* prefix;
    TCommandLine::ExportKind kind;
};

// Tested in this order; the file name is the rest of the argument.
const ExportPrefix kExportPrefixes[] = {
    {u"/exporthtm:", TCommandLine::ExportKind::Html},
    {u"/exportxml:", TCommandLine::ExportKind::Xml},
    {u"/exportcsv:", TCommandLine::ExportKind::Csv},
    {u"/exportdat:", TCommandLine::ExportKind::Results},
    {u"/exportjson:", TCommandLine::ExportKind::JsonLines},
};

QString ReplaceFirst(const QString& text, const QString& placeholder, const QString& value)
{
    const qsizetype at = text.indexOf(placeholder, 0, Qt::CaseSensitive);
    if (at < 0)
        return text;
    QString result = text;
    return result.replace(at, placeholder.size(), value);
}

bool IsHelpArgument(const QString& argument)
{
    return argument == u"--help" || argument == u"-h" || argument == u"/?";
}

} // namespace

TCommandLine::TCommandLine(QStringList arguments) : m_arguments(std::move(arguments)) {}

bool TCommandLine::matchPrefix(const QString& argument, const QString& prefix, QString* value)
{
    if (!argument.startsWith(prefix, Qt::CaseInsensitive))
        return false;
    if (value)
        *value = argument.mid(prefix.size());
    return true;
}

bool TCommandLine::matchWhole(const QString& argument, const QString& name)
{
    // The bare word counts too ("kestrova ... hide close"): scripts write it so, and no
    // other argument of the program can be exactly that word.
    if (argument.compare(name, Qt::CaseInsensitive) == 0)
        return true;
    if (argument.size() != name.size() + 1)
        return false;
    const QChar lead = argument.at(0);
    return (lead == u'/' || lead == u'-') && argument.mid(1).compare(name, Qt::CaseInsensitive) == 0;
}

bool TCommandLine::hasWholeSwitch(const QString& name) const
{
    for (const QString& argument : m_arguments) {
        if (matchWhole(argument, name))
            return true;
    }
    return false;
}

bool TCommandLine::help() const
{
    return std::any_of(m_arguments.begin(), m_arguments.end(), IsHelpArgument);
}

bool TCommandLine::version() const
{
    return m_arguments.contains(QStringLiteral("--version"));
}

bool TCommandLine::hasRange() const
{
    for (const QString& argument : m_arguments) {
        if (matchPrefix(argument, kRange))
            return true;
    }
    return false;
}

QString TCommandLine::lastRange() const
{
    QString range;
    for (const QString& argument : m_arguments)
        matchPrefix(argument, kRange, &range);
    return range;
}

TCommandLine::SearchPreset TCommandLine::searchPreset() const
{
    // Lower case by the user's locale, as the boxes receive it.
    const QLocale locale;
    SearchPreset preset;
    QString value;
    for (const QString& argument : m_arguments) {
        if (matchPrefix(argument, kMask, &value)) {
            preset.hasMask = true;
            preset.mask = locale.toLower(value);
        } else if (matchPrefix(argument, kText, &value)) {
            preset.hasText = true;
            preset.text = locale.toLower(value);
        }
    }
    return preset;
}

QList<TCommandLine::Export> TCommandLine::exports() const
{
    QList<Export> result;
    const bool withHeader = csvHeader();
    for (const QString& argument : m_arguments) {
        for (const ExportPrefix& entry : kExportPrefixes) {
            QString fileName;
            if (matchPrefix(argument, QString::fromUtf16(entry.prefix), &fileName)) {
                const bool csv = entry.kind == ExportKind::Csv;
                result.append(Export{csv && withHeader ? ExportKind::CsvWithHeader : entry.kind, fileName});
                break;
            }
        }
    }
    return result;
}

QStringList TCommandLine::unknownArguments() const
{
    QStringList unknown;
    for (const QString& argument : m_arguments) {
        bool known = IsHelpArgument(argument) || argument == u"--version" ||
                     matchWhole(argument, QStringLiteral("hide")) ||
                     matchWhole(argument, QStringLiteral("close")) ||
                     matchWhole(argument, QStringLiteral("csvheader"));
        for (const QString& prefix : {kRange, kMask, kText})
            known = known || matchPrefix(argument, prefix);
        for (const ExportPrefix& entry : kExportPrefixes)
            known = known || matchPrefix(argument, QString::fromUtf16(entry.prefix));
        if (!known)
            unknown.append(argument);
    }
    return unknown;
}

QString ExpandExportFileName(const QString& fileName, const QDateTime& now)
{
    // Exact text: the placeholders and the file-name date and time forms scripts rely
    // on to find the export they asked for.
    QString result = ReplaceFirst(fileName, QStringLiteral("%date%"), now.date().toString(u"yyyy-MM-dd"));
    return ReplaceFirst(result, QStringLiteral("%time%"), now.time().toString(u"HH-mm-ss"));
}

// Exact text: --help prints this and the manual page is made from it; the manual
// and installed-program tests look for its lines.
QString CommandLineHelpText()
{
    return QStringLiteral(
        "Usage: kestrova [switch ...]\n"
        "\n"
        "Finds files on the computers of the local network. Without switches the window\n"
        "opens. Switches (prefixes and names in any letter case; quote values with blanks):\n"
        "\n"
        "  /range:FIRST-LAST    search the computers of one IP range (saved as the scope)\n"
        "  /mask:MASKS          search for these file masks (\"*.doc;*.txt\") and start\n"
        "  /text:TEXT           with this content text (turns content search on)\n"
        "  /exporthtm:FILE      after every search, write an HTML report to FILE\n"
        "  /exportxml:FILE      ... an XML report\n"
        "  /exportcsv:FILE      ... a CSV report\n"
        "  /exportdat:FILE      ... a results file\n"
        "  /exportjson:FILE     ... JSON Lines, one object per hit (- for FILE: standard\n"
        "                       output)\n"
        "                       in FILE, %date% becomes yyyy-mm-dd and %time% hh-mm-ss\n"
        "  /csvheader           CSV exports get a header row and ISO 8601 dates\n"
        "  /hide                do not show the window (without a display the program\n"
        "                       runs without one)\n"
        "  /close               end the program after the search and its exports; a\n"
        "                       summary line goes to stderr (with live progress when\n"
        "                       stderr is a terminal)\n"
        "  --version            print the version\n"
        "  --help               print this text\n"
        "\n"
        "Exit status:\n"
        "  0  the search ran and every export was written\n"
        "  1  an export failed (or /hide was missing where there is no display)\n"
        "  2  nothing to search (with /close: no /mask:, or the search was refused),\n"
        "     an unknown switch with /close, or every range of /range: was invalid\n"
        "\n"
        "Example, unattended:\n"
        "  kestrova \"/range:192.168.1.1-192.168.1.254\" \"/mask:*.pdf\" "
        "\"/exportcsv:found-%date%.csv\" /hide /close\n"
        "\n"
        "IP ranges are probed by ICMP echo, NetBIOS, ARP and TCP connects side by side.\n"
        "ICMP echo needs CAP_NET_RAW or a ping socket; to allow it, either\n"
        "  sudo setcap cap_net_raw+ep \"$(command -v kestrova)\"   or\n"
        "  sudo sysctl net.ipv4.ping_group_range=\"0 2147483647\"\n"
        "Without it the search log says so and the other methods are used.\n");
}
