#include "platform/WsDiscoveryMessages.h"

#include <QRegularExpression>
#include <QUuid>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <functional>

namespace Wsd {

namespace {

// Exact text: computers on the network answer and announce only in these namespace
// URIs, compared character for character; the WS-Discovery tests build their
// messages with them.
const QString kSoap = QStringLiteral("http://www.w3.org/2003/05/soap-envelope");
const QString kSoap11 = QStringLiteral("http://schemas.xmlsoap.org/soap/envelope/");
const QString kAddressing = QStringLiteral("http://schemas.xmlsoap.org/ws/2004/08/addressing");
const QString kAddressing10 = QStringLiteral("http://www.w3.org/2005/08/addressing");
const QString kDiscovery = QStringLiteral("http://schemas.xmlsoap.org/ws/2005/04/discovery");
const QString kDiscovery11 = QStringLiteral("http://docs.oasis-open.org/ws-dd/ns/discovery/2009/01");
const QString kDeviceProfile = QStringLiteral("http://schemas.xmlsoap.org/ws/2006/02/devprof");
const QString kPub = QStringLiteral("http://schemas.microsoft.com/windows/pub/2005/07");
const QString kTransfer = QStringLiteral("http://schemas.xmlsoap.org/ws/2004/09/transfer");
const QString kDiscoveryTo = QStringLiteral("urn:schemas-xmlsoap-org:ws:2005:04:discovery");
const QString kAnonymous = QStringLiteral("http://schemas.xmlsoap.org/ws/2004/08/addressing/role/anonymous");

struct ElementName {
    QString ns;
    QString local;

    bool is(const QString& wantedNs, const char* wantedLocal) const
    {
        return ns == wantedNs && local == QLatin1String(wantedLocal);
    }
};

bool IsAddressing(const ElementName& name, const char* local)
{
    return name.is(kAddressing, local) || name.is(kAddressing10, local);
}

bool IsDiscovery(const ElementName& name, const char* local)
{
    return name.is(kDiscovery, local) || name.is(kDiscovery11, local);
}

struct XmlEvent {
    bool start = false;
    const std::vector<ElementName>& path; // the element itself is last
    QXmlStreamAttributes attributes;      // start events only
    QString text;                         // end events only: the element's own text
};

// Walks a SOAP envelope and reports each element's start and end. False for
// anything that is not a well-formed envelope of reasonable size; a document type
// declaration is refused outright, so no entity can be declared or expanded.
bool WalkEnvelope(const QByteArray& data, const std::function<void(const XmlEvent&)>& visit)
{
    if (data.isEmpty() || data.size() > kMaxMessageSize)
        return false;
    QXmlStreamReader reader(data);
    reader.setNamespaceProcessing(true);
    reader.setEntityExpansionLimit(0);
    std::vector<ElementName> path;
    QString text;
    bool sawEnvelope = false;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::DTD:
        case QXmlStreamReader::EntityReference:
            return false;
        case QXmlStreamReader::StartElement: {
            ElementName name{reader.namespaceUri().toString(), reader.name().toString()};
            if (path.empty()) {
                if (!name.is(kSoap, "Envelope") && !name.is(kSoap11, "Envelope"))
                    return false;
                sawEnvelope = true;
            }
            path.push_back(std::move(name));
            text.clear();
            visit(XmlEvent{true, path, reader.attributes(), {}});
            break;
        }
        case QXmlStreamReader::Characters:
            text += reader.text();
            break;
        case QXmlStreamReader::EndElement:
            visit(XmlEvent{false, path, {}, text.trimmed()});
            path.pop_back();
            text.clear();
            break;
        default:
            break;
        }
    }
    return !reader.hasError() && sawEnvelope;
}

Action ActionOf(const QString& uri)
{
    // Exact text: action URIs are the namespace plus these suffixes, as peers send them.
    static const std::pair<const char*, Action> kSuffixes[] = {
        {"/Probe", Action::Probe},     {"/ProbeMatches", Action::ProbeMatches},
        {"/Resolve", Action::Resolve}, {"/ResolveMatches", Action::ResolveMatches},
        {"/Hello", Action::Hello},     {"/Bye", Action::Bye},
    };
    for (const QString& ns : {kDiscovery, kDiscovery11}) {
        for (const auto& [suffix, action] : kSuffixes) {
            if (uri == ns + QLatin1String(suffix))
                return action;
        }
    }
    if (uri == kTransfer + QStringLiteral("/GetResponse"))
        return Action::GetResponse;
    return Action::Other;
}

// Exact text: the element names of the envelope are fixed by the protocol; the
// responders in the tests and on the network look for them.
QByteArray BuildEnvelope(const QString& to, const QString& action, const QString& messageId,
                         const std::function<void(QXmlStreamWriter&)>& writeBody)
{
    QByteArray out;
    QXmlStreamWriter writer(&out);
    writer.writeStartDocument();
    writer.writeNamespace(kSoap, QStringLiteral("soap"));
    writer.writeNamespace(kAddressing, QStringLiteral("wsa"));
    writer.writeNamespace(kDiscovery, QStringLiteral("wsd"));
    writer.writeNamespace(kDeviceProfile, QStringLiteral("wsdp"));
    writer.writeStartElement(kSoap, QStringLiteral("Envelope"));
    writer.writeStartElement(kSoap, QStringLiteral("Header"));
    writer.writeTextElement(kAddressing, QStringLiteral("To"), to);
    writer.writeTextElement(kAddressing, QStringLiteral("Action"), action);
    writer.writeTextElement(kAddressing, QStringLiteral("MessageID"), messageId);
    writer.writeStartElement(kAddressing, QStringLiteral("ReplyTo"));
    writer.writeTextElement(kAddressing, QStringLiteral("Address"), kAnonymous);
    writer.writeEndElement();
    writer.writeEndElement();
    writer.writeStartElement(kSoap, QStringLiteral("Body"));
    if (writeBody)
        writeBody(writer);
    writer.writeEndElement();
    writer.writeEndElement();
    writer.writeEndDocument();
    return out;
}

// A list of URIs or qualified names separated by white space.
QStringList SplitList(const QString& text)
{
    return text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
}

} // namespace

bool Endpoint::isComputer() const
{
    for (const QString& type : types) {
        if (type == QLatin1String("Computer") || type.endsWith(QLatin1String(":Computer")))
            return true;
    }
    return false;
}

QString NewMessageId()
{
    return QStringLiteral("urn:uuid:") + QUuid::createUuid().toString(QUuid::WithoutBraces);
}

QByteArray BuildProbe(const QString& messageId)
{
    return BuildEnvelope(
        kDiscoveryTo, kDiscovery + QStringLiteral("/Probe"), messageId, [](QXmlStreamWriter& w) {
            w.writeStartElement(kDiscovery, QStringLiteral("Probe"));
            // Exact text: wsdd compares this text literally, so the prefix must be wsdp.
            w.writeTextElement(kDiscovery, QStringLiteral("Types"), QStringLiteral("wsdp:Device"));
            w.writeEndElement();
        });
}

QByteArray BuildResolve(const QString& messageId, const QString& endpointAddress)
{
    return BuildEnvelope(kDiscoveryTo, kDiscovery + QStringLiteral("/Resolve"), messageId,
                         [&](QXmlStreamWriter& w) {
                             w.writeStartElement(kDiscovery, QStringLiteral("Resolve"));
                             w.writeStartElement(kAddressing, QStringLiteral("EndpointReference"));
                             w.writeTextElement(kAddressing, QStringLiteral("Address"), endpointAddress);
                             w.writeEndElement();
                             w.writeEndElement();
                         });
}

QByteArray BuildMetadataGet(const QString& messageId, const QString& endpointAddress)
{
    return BuildEnvelope(endpointAddress, kTransfer + QStringLiteral("/Get"), messageId, {});
}

std::optional<Message> ParseMessage(const QByteArray& data)
{
    Message message;
    bool inEndpoint = false;
    const bool wellFormed = WalkEnvelope(data, [&](const XmlEvent& event) {
        const std::vector<ElementName>& path = event.path;
        const ElementName& name = path.back();
        if (path.size() < 3)
            return;
        const bool inHeader = path[1].local == QLatin1String("Header");
        const bool inBody = path[1].local == QLatin1String("Body");
        if (inHeader && path.size() == 3 && !event.start) {
            if (IsAddressing(name, "Action"))
                message.actionUri = event.text;
            else if (IsAddressing(name, "MessageID"))
                message.messageId = event.text;
            else if (IsAddressing(name, "RelatesTo"))
                message.relatesTo = event.text;
            return;
        }
        if (!inBody)
            return;
        const bool container = IsDiscovery(name, "ProbeMatch") || IsDiscovery(name, "ResolveMatch") ||
                               IsDiscovery(name, "Hello") || IsDiscovery(name, "Bye");
        if (container) {
            inEndpoint = event.start;
            if (event.start)
                message.endpoints.emplace_back();
            return;
        }
        if (!inEndpoint || event.start || message.endpoints.empty())
            return;
        Endpoint& endpoint = message.endpoints.back();
        if (IsAddressing(name, "Address") && IsAddressing(path[path.size() - 2], "EndpointReference"))
            endpoint.address = event.text;
        else if (IsDiscovery(name, "Types"))
            endpoint.types = SplitList(event.text);
        else if (IsDiscovery(name, "XAddrs"))
            endpoint.xaddrs = SplitList(event.text);
        else if (IsDiscovery(name, "MetadataVersion"))
            endpoint.metadataVersion = event.text;
    });
    if (!wellFormed)
        return std::nullopt;
    message.action = ActionOf(message.actionUri);
    return message;
}

ComputerInfo ParseComputerText(const QString& text)
{
    ComputerInfo info;
    const qsizetype slash = text.indexOf(u'/');
    info.name = (slash < 0 ? text : text.left(slash)).trimmed();
    if (slash < 0)
        return info;
    const QString membership = text.mid(slash + 1).trimmed();
    // Exact text: the "NAME/Workgroup:GROUP" and "NAME/Domain:DOMAIN" forms computers
    // publish in their metadata; the metadata tests use them.
    if (membership.startsWith(QLatin1String("Workgroup:"), Qt::CaseInsensitive))
        info.workgroup = membership.mid(10).trimmed();
    else if (membership.startsWith(QLatin1String("Domain:"), Qt::CaseInsensitive))
        info.domain = membership.mid(7).trimmed();
    return info;
}

std::optional<ComputerInfo> ParseMetadata(const QByteArray& data)
{
    QString computer;
    QString friendlyName;
    int hostDepth = 0; // depth of the wsdp:Host of a host relationship; 0 outside
    bool inHostRelationship = false;
    const bool wellFormed = WalkEnvelope(data, [&](const XmlEvent& event) {
        const ElementName& name = event.path.back();
        const int depth = static_cast<int>(event.path.size());
        if (name.is(kDeviceProfile, "Relationship")) {
            inHostRelationship =
                event.start &&
                event.attributes.value(QStringLiteral("Type")).endsWith(QLatin1String("/host"));
        } else if (name.is(kDeviceProfile, "Host") && inHostRelationship) {
            hostDepth = event.start ? depth : 0;
        } else if (!event.start && hostDepth > 0 && depth == hostDepth + 1 && name.is(kPub, "Computer")) {
            computer = event.text;
        } else if (!event.start && name.is(kDeviceProfile, "FriendlyName")) {
            friendlyName = event.text;
        }
    });
    if (!wellFormed || computer.isEmpty())
        return std::nullopt;
    ComputerInfo info = ParseComputerText(computer);
    info.friendlyName = friendlyName;
    if (info.name.isEmpty())
        return std::nullopt;
    return info;
}

} // namespace Wsd
