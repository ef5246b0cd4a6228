#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

// The SOAP messages of WS-Discovery (the 2005/04 version that Windows and wsdd
// speak over UDP 3702) and of the device-profile metadata exchange that tells a
// computer's name and workgroup or domain (a transfer Get over HTTP).
//
// Pure functions without state; safe from any thread. Parsing takes packets from
// anyone on the link: a message over kMaxMessageSize, one with a document type
// declaration or an entity reference (no entity is ever expanded), malformed XML
// or a missing envelope gives no message at all.
namespace Wsd {

constexpr int kMaxMessageSize = 64 * 1024;
constexpr uint16_t kPort = 3702;
inline constexpr const char* kIpv4Group = "239.255.255.250";
inline constexpr const char* kIpv6Group = "ff02::c";

enum class Action {
    Other,
    Probe,
    ProbeMatches,
    Resolve,
    ResolveMatches,
    Hello,
    Bye,
    GetResponse,
};

// One endpoint a message talks about (a ProbeMatch, ResolveMatch, Hello or Bye).
struct Endpoint {
    QString address;    // the endpoint reference, usually urn:uuid:...
    QStringList types;  // qualified names as written ("wsdp:Device", "pub:Computer")
    QStringList xaddrs; // transport addresses (http://198.18.0.2:5357/...)
    QString metadataVersion;

    // Whether Types names a computer (pub:Computer under any prefix).
    bool isComputer() const;
};

struct Message {
    Action action = Action::Other;
    QString actionUri;
    QString messageId;
    QString relatesTo;
    std::vector<Endpoint> endpoints;
};

// The computer a metadata GetResponse describes.
struct ComputerInfo {
    QString name;
    QString workgroup;
    QString domain;
    QString friendlyName;
};

// A fresh "urn:uuid:..." message identifier.
QString NewMessageId();

// Probe for devices (Types wsdp:Device, no scopes) under messageId.
QByteArray BuildProbe(const QString& messageId);
// Resolve of one endpoint reference: its answer carries the XAddrs a ProbeMatch
// may leave out.
QByteArray BuildResolve(const QString& messageId, const QString& endpointAddress);
// The metadata Get sent by HTTP POST to one of the endpoint's XAddrs.
QByteArray BuildMetadataGet(const QString& messageId, const QString& endpointAddress);

std::optional<Message> ParseMessage(const QByteArray& data);
// The host relationship of a GetResponse; nullopt when the response names no
// computer (pub:Computer missing or empty).
std::optional<ComputerInfo> ParseMetadata(const QByteArray& data);
// "NAME/Workgroup:WG", "NAME/Domain:DOM" or "NAME/NotJoined" into its parts.
ComputerInfo ParseComputerText(const QString& text);

} // namespace Wsd
