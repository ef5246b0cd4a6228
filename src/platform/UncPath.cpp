#include "platform/UncPath.h"

#include <cstring>

namespace {

// Reserved characters are all ASCII, so the text is escaped character by
// character; everything else stays as it is and becomes UTF-8 with the URL.
QString percentEncode(const QString& text, const char* reserved)
{
    QString out;
    out.reserve(text.size() + 8);
    for (QChar character : text) {
        char16_t unit = character.unicode();
        bool control = unit < 0x20 || unit == 0x7f;
        bool listed = unit < 0x80 && unit != 0 && std::strchr(reserved, char(unit));
        if (control || listed)
            out += QStringLiteral("%%1").arg(unsigned(unit), 2, 16, QLatin1Char('0')).toUpper();
        else
            out += character;
    }
    return out;
}

} // namespace

std::optional<UncPath> UncPath::parse(const QString& unc)
{
    if (!unc.startsWith(QLatin1String("\\\\")))
        return std::nullopt;
    QStringList parts = unc.mid(2).split(QLatin1Char('\\'));
    if (parts.size() > 1 && parts.last().isEmpty())
        parts.removeLast();
    for (const QString& part : parts)
        if (part.isEmpty())
            return std::nullopt;
    UncPath path;
    path.m_host = parts.takeFirst();
    if (!parts.isEmpty())
        path.m_share = parts.takeFirst();
    path.m_components = parts;
    return path;
}

UncPath UncPath::child(const QString& name) const
{
    UncPath path = *this;
    if (path.m_share.isEmpty())
        path.m_share = name;
    else
        path.m_components.append(name);
    return path;
}

UncPath UncPath::hostPath() const
{
    UncPath path;
    path.m_host = m_host;
    return path;
}

UncPath UncPath::sharePath() const
{
    UncPath path = hostPath();
    path.m_share = m_share;
    return path;
}

QString UncPath::toUnc() const
{
    QString unc = QStringLiteral("\\\\") + m_host;
    if (!m_share.isEmpty())
        unc += QLatin1Char('\\') + m_share;
    for (const QString& component : m_components)
        unc += QLatin1Char('\\') + component;
    return unc;
}

QString UncPath::toUrl() const
{
    QString url = QStringLiteral("smb://") + encodeHost(m_host) + QLatin1Char('/');
    if (m_share.isEmpty())
        return url;
    url += encodeComponent(m_share);
    for (const QString& component : m_components)
        url += QLatin1Char('/') + encodeComponent(component);
    return url;
}

QString UncPath::encodeComponent(const QString& component)
{
    return percentEncode(component, "%?/#");
}

QString UncPath::encodeHost(const QString& host)
{
    return percentEncode(host, "%?/#@:");
}
