#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// A network path in UNC form: \\HOST, \\HOST\share or \\HOST\share\dir\...\name.
// Knows its parts and how to spell itself as the smb:// URL libsmbclient takes.
//
// Components hold names raw (as the server lists them). In the URL each path
// component is percent-encoded where libsmbclient would otherwise misread it:
// '%' (it decodes escapes), '?' (query), '/' (separator), '#' (fragment) and
// control characters; everything else, non-ASCII included, is sent as UTF-8.
// In the host part '@' would start user information, ':' a port and '#' a
// NetBIOS suffix, so these are escaped too: a host is always a plain name.
class UncPath {
public:
    // Parses "\\HOST[\share[\component...]]" with an optional trailing '\'.
    // Empty for anything else (no leading "\\", an empty host or an empty
    // component in the middle).
    static std::optional<UncPath> parse(const QString& unc);

    const QString& host() const { return m_host; }
    // Empty for a bare host path.
    const QString& share() const { return m_share; }
    // The components below the share.
    const QStringList& components() const { return m_components; }
    bool isHost() const { return m_share.isEmpty(); }

    // The path one level below this one. name must not be empty nor hold '\'.
    UncPath child(const QString& name) const;
    // \\HOST (the server of this path).
    UncPath hostPath() const;
    // \\HOST\share; the host path for a bare host.
    UncPath sharePath() const;

    QString toUnc() const;
    // smb://HOST/share/dir/name (smb://HOST/ for a bare host).
    QString toUrl() const;

    static QString encodeComponent(const QString& component);
    static QString encodeHost(const QString& host);

    friend bool operator==(const UncPath&, const UncPath&) = default;

private:
    QString m_host;
    QString m_share;
    QStringList m_components;
};
