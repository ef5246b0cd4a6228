#include "store/MarkupEscape.h"

#include "store/ReportExport.h"

namespace {

// The entity for a character, or an empty view when it stays as it is.
// Exact text: the entities the HTML and XML reports contain; report readers decode
// them and the tests compare escaped names with them.
QLatin1StringView EntityFor(char16_t ch, TMarkup markup)
{
    switch (ch) {
    case u'&':
        return QLatin1StringView("&amp;");
    case u'<':
        return QLatin1StringView("&lt;");
    case u'>':
        return QLatin1StringView("&gt;");
    case u'"':
        return QLatin1StringView("&quot;");
    case u'\'':
        return markup == TMarkup::XmlAttribute ? QLatin1StringView("&apos;") : QLatin1StringView();
    case u' ':
        return markup == TMarkup::XmlAttribute ? QLatin1StringView("&#32;") : QLatin1StringView();
    default:
        return QLatin1StringView();
    }
}

} // namespace

void AppendEscaped(QString& out, QStringView text, TMarkup markup)
{
    // Runs without special characters go in one piece.
    qsizetype runStart = 0;
    for (qsizetype at = 0; at < text.size(); ++at) {
        const char16_t ch = text[at].unicode();
        if (ch > u'>') // every character with an entity sorts below '>' or is it
            continue;
        const QLatin1StringView entity = EntityFor(ch, markup);
        if (entity.isEmpty())
            continue;
        out.append(text.mid(runStart, at - runStart));
        out.append(entity);
        runStart = at + 1;
    }
    out.append(text.mid(runStart));
}

QString HtmlEscape(const QString& text)
{
    QString escaped;
    AppendEscaped(escaped, text, TMarkup::Html);
    return escaped;
}

QString XmlEscape(const QString& text)
{
    QString escaped;
    AppendEscaped(escaped, text, TMarkup::XmlAttribute);
    return escaped;
}
