#include "documents/XmlText.h"

#include "documents/ZipPackage.h"

#include <QXmlStreamReader>

namespace {

QStringView LocalName(QStringView qualified)
{
    const qsizetype colon = qualified.lastIndexOf(u':');
    return colon < 0 ? qualified : qualified.mid(colon + 1);
}

// Reads tokens as they arrive and keeps the text of the rules' elements.
class TXmlTextCollector {
public:
    TXmlTextCollector(const TXmlTextRules& rules, QString& text) : m_rules(rules), m_text(text)
    {
        m_reader.setNamespaceProcessing(false);
    }

    // False when the XML is not well-formed (more data cannot help then).
    bool feed(QByteArrayView chunk)
    {
        m_reader.addData(chunk.toByteArray());
        while (!m_reader.atEnd()) {
            switch (m_reader.readNext()) {
            case QXmlStreamReader::StartElement:
                start(LocalName(m_reader.qualifiedName()));
                break;
            case QXmlStreamReader::EndElement:
                end(LocalName(m_reader.qualifiedName()));
                break;
            case QXmlStreamReader::Characters:
                if (m_textDepth > 0)
                    m_text += m_reader.text();
                break;
            default:
                break;
            }
        }
        return !m_reader.hasError() || m_reader.error() == QXmlStreamReader::PrematureEndOfDocumentError;
    }

    // Called after the last chunk: a part that ends early is damaged.
    bool finish() const { return !m_reader.hasError(); }
    QString errorText() const { return m_reader.errorString(); }

private:
    void start(QStringView name)
    {
        if (m_rules.TextElements.contains(name))
            ++m_textDepth;
        else if (m_textDepth > 0 && m_rules.TabElements.contains(name))
            m_text += u'\t';
        else if (m_textDepth > 0 && m_rules.BreakElements.contains(name))
            m_text += u'\n';
        else if (m_textDepth > 0 && !m_rules.SpaceElement.isEmpty() && name == m_rules.SpaceElement) {
            const QStringView count = m_reader.attributes().value(QStringLiteral("text:c"));
            m_text += QString(count.isEmpty() ? 1 : std::clamp(count.toInt(), 1, 1000), u' ');
        }
    }

    void end(QStringView name)
    {
        if (m_rules.TextElements.contains(name) && m_textDepth > 0)
            --m_textDepth;
        if (m_rules.LineElements.contains(name))
            m_text += u'\n';
        else if (m_rules.CellElements.contains(name))
            m_text += u'\t';
    }

    const TXmlTextRules& m_rules;
    QString& m_text;
    QXmlStreamReader m_reader;
    int m_textDepth = 0;
};

} // namespace

const TXmlTextRules& OfficeOpenXmlRules()
{
    // Headers and footers of worksheets are elements of their own, holding the text
    // with its formatting codes.
    static const TXmlTextRules rules{
        .TextElements = {QStringLiteral("t"), QStringLiteral("oddHeader"), QStringLiteral("oddFooter"),
                         QStringLiteral("evenHeader"), QStringLiteral("evenFooter"),
                         QStringLiteral("firstHeader"), QStringLiteral("firstFooter")},
        .LineElements = {QStringLiteral("p"), QStringLiteral("si"), QStringLiteral("row"),
                         QStringLiteral("oddHeader"), QStringLiteral("oddFooter"),
                         QStringLiteral("evenHeader"), QStringLiteral("evenFooter"),
                         QStringLiteral("firstHeader"), QStringLiteral("firstFooter")},
        .CellElements = {QStringLiteral("tc"), QStringLiteral("c")},
        .TabElements = {QStringLiteral("tab")},
        .BreakElements = {QStringLiteral("br"), QStringLiteral("cr")},
        .SpaceElement = {},
    };
    return rules;
}

const TXmlTextRules& OpenDocumentRules()
{
    static const TXmlTextRules rules{
        // Presentations declare their headers and footers in content.xml.
        .TextElements = {QStringLiteral("p"), QStringLiteral("h"), QStringLiteral("header-decl"),
                         QStringLiteral("footer-decl")},
        .LineElements = {QStringLiteral("p"), QStringLiteral("h"), QStringLiteral("header-decl"),
                         QStringLiteral("footer-decl")},
        .CellElements = {QStringLiteral("table-cell")},
        .TabElements = {QStringLiteral("tab")},
        .BreakElements = {QStringLiteral("line-break")},
        .SpaceElement = QStringLiteral("s"),
    };
    return rules;
}

bool AppendXmlPartText(TZipPackage& package, const QString& part, const TXmlTextRules& rules,
                       TExtractionBudget& budget, QString& text, QString& error)
{
    TXmlTextCollector collector(rules, text);
    QString sinkError;
    const bool unpacked = package.read(part, [&](QByteArrayView chunk) {
        if (!collector.feed(chunk)) {
            sinkError = QStringLiteral("%1 is not well-formed XML (%2)").arg(part, collector.errorText());
            return false;
        }
        if (text.size() > budget.MaxTextChars) {
            sinkError = QStringLiteral("its text is longer than %1 characters").arg(budget.MaxTextChars);
            return false;
        }
        return true;
    });
    if (!unpacked) {
        error = sinkError.isEmpty() ? package.error() : sinkError;
        return false;
    }
    if (!collector.finish()) {
        error = QStringLiteral("%1 is not well-formed XML (%2)").arg(part, collector.errorText());
        return false;
    }
    return true;
}
