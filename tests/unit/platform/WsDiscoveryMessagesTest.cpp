#include "platform/WsDiscoveryMessages.h"

#include <QXmlStreamReader>
#include <chrono>
#include <gtest/gtest.h>

namespace {

const char* const kProbeMatches = R"(<?xml version="1.0" encoding="utf-8"?>
<soap:Envelope xmlns:soap="http://www.w3.org/2003/05/soap-envelope"
    xmlns:wsa="http://schemas.xmlsoap.org/ws/2004/08/addressing"
    xmlns:wsd="http://schemas.xmlsoap.org/ws/2005/04/discovery"
    xmlns:wsdp="http://schemas.xmlsoap.org/ws/2006/02/devprof"
    xmlns:pub="http://schemas.microsoft.com/windows/pub/2005/07">
  <soap:Header>
    <wsa:To>http://schemas.xmlsoap.org/ws/2004/08/addressing/role/anonymous</wsa:To>
    <wsa:Action>http://schemas.xmlsoap.org/ws/2005/04/discovery/ProbeMatches</wsa:Action>
    <wsa:MessageID>urn:uuid:11111111-2222-3333-4444-555555555555</wsa:MessageID>
    <wsa:RelatesTo>urn:uuid:aaaaaaaa-bbbb-cccc-dddd-eeeeeeeeeeee</wsa:RelatesTo>
    <wsd:AppSequence InstanceId="7" MessageNumber="1"/>
  </soap:Header>
  <soap:Body>
    <wsd:ProbeMatches>
      <wsd:ProbeMatch>
        <wsa:EndpointReference><wsa:Address>urn:uuid:0f0f0f0f-1111-2222-3333-444444444444</wsa:Address></wsa:EndpointReference>
        <wsd:Types>wsdp:Device pub:Computer</wsd:Types>
        <wsd:XAddrs>http://198.18.0.2:5357/0f0f0f0f-1111-2222-3333-444444444444 http://[fe80::1]:5357/x</wsd:XAddrs>
        <wsd:MetadataVersion>2</wsd:MetadataVersion>
      </wsd:ProbeMatch>
      <wsd:ProbeMatch>
        <wsa:EndpointReference><wsa:Address>urn:uuid:printer</wsa:Address></wsa:EndpointReference>
        <wsd:Types>wsdp:Device prn:PrinterServiceType</wsd:Types>
      </wsd:ProbeMatch>
    </wsd:ProbeMatches>
  </soap:Body>
</soap:Envelope>)";

// Other prefixes than the usual ones, as any SOAP stack may choose.
const char* const kHelloOtherPrefixes = R"(<e:Envelope xmlns:e="http://www.w3.org/2003/05/soap-envelope"
 xmlns:a="http://schemas.xmlsoap.org/ws/2004/08/addressing" xmlns:d="http://schemas.xmlsoap.org/ws/2005/04/discovery">
<e:Header><a:Action>http://schemas.xmlsoap.org/ws/2005/04/discovery/Hello</a:Action>
<a:MessageID>urn:uuid:hello-1</a:MessageID></e:Header>
<e:Body><d:Hello><a:EndpointReference><a:Address>urn:uuid:host-9</a:Address></a:EndpointReference>
<d:Types xmlns:x="http://schemas.microsoft.com/windows/pub/2005/07">x:Computer</d:Types>
</d:Hello></e:Body></e:Envelope>)";

const char* const kBye = R"(<soap:Envelope xmlns:soap="http://www.w3.org/2003/05/soap-envelope"
 xmlns:wsa="http://schemas.xmlsoap.org/ws/2004/08/addressing" xmlns:wsd="http://schemas.xmlsoap.org/ws/2005/04/discovery">
<soap:Header><wsa:Action>http://schemas.xmlsoap.org/ws/2005/04/discovery/Bye</wsa:Action>
<wsa:MessageID>urn:uuid:bye-1</wsa:MessageID></soap:Header>
<soap:Body><wsd:Bye><wsa:EndpointReference><wsa:Address>urn:uuid:host-9</wsa:Address></wsa:EndpointReference></wsd:Bye></soap:Body></soap:Envelope>)";

QByteArray Metadata(const QString& computer,
                    const char* relationshipType = "http://schemas.xmlsoap.org/ws/2006/02/devprof/host")
{
    return QStringLiteral(R"(<?xml version="1.0"?>
<soap:Envelope xmlns:soap="http://www.w3.org/2003/05/soap-envelope" xmlns:wsa="http://schemas.xmlsoap.org/ws/2004/08/addressing"
 xmlns:wsx="http://schemas.xmlsoap.org/ws/2004/09/mex" xmlns:wsdp="http://schemas.xmlsoap.org/ws/2006/02/devprof"
 xmlns:pub="http://schemas.microsoft.com/windows/pub/2005/07">
<soap:Header><wsa:Action>http://schemas.xmlsoap.org/ws/2004/09/transfer/GetResponse</wsa:Action>
<wsa:MessageID>urn:uuid:m-1</wsa:MessageID><wsa:RelatesTo>urn:uuid:get-1</wsa:RelatesTo></soap:Header>
<soap:Body><wsx:Metadata>
<wsx:MetadataSection Dialect="http://schemas.xmlsoap.org/ws/2006/02/devprof/ThisDevice">
<wsdp:ThisDevice><wsdp:FriendlyName>WSD Device KHOST</wsdp:FriendlyName></wsdp:ThisDevice></wsx:MetadataSection>
<wsx:MetadataSection Dialect="http://schemas.xmlsoap.org/ws/2006/02/devprof/Relationship">
<wsdp:Relationship Type="%2"><wsdp:Host>
<wsa:EndpointReference><wsa:Address>urn:uuid:host-9</wsa:Address></wsa:EndpointReference>
<wsdp:Types>pub:Computer</wsdp:Types><wsdp:ServiceId>urn:uuid:host-9</wsdp:ServiceId>
<pub:Computer>%1</pub:Computer></wsdp:Host></wsdp:Relationship></wsx:MetadataSection>
</wsx:Metadata></soap:Body></soap:Envelope>)")
        .arg(computer, QString::fromLatin1(relationshipType))
        .toUtf8();
}

// The text of the last element with this local name (the header's ReplyTo has an
// Address too), read independently.
QString ElementText(const QByteArray& xml, const char* localName)
{
    QXmlStreamReader reader(xml);
    QString text;
    while (!reader.atEnd()) {
        if (reader.readNext() == QXmlStreamReader::StartElement && reader.name() == QLatin1String(localName))
            text = reader.readElementText();
    }
    return text;
}

TEST(WsDiscoveryMessagesTest, ProbeAsksForDevicesUnderItsMessageId)
{
    const QString id = Wsd::NewMessageId();
    EXPECT_TRUE(id.startsWith(QStringLiteral("urn:uuid:")));
    EXPECT_EQ(id.size(), 9 + 36);
    EXPECT_NE(id, Wsd::NewMessageId());
    const QByteArray probe = Wsd::BuildProbe(id);
    EXPECT_EQ(ElementText(probe, "MessageID"), id);
    EXPECT_EQ(ElementText(probe, "Action"),
              QStringLiteral("http://schemas.xmlsoap.org/ws/2005/04/discovery/Probe"));
    EXPECT_EQ(ElementText(probe, "To"), QStringLiteral("urn:schemas-xmlsoap-org:ws:2005:04:discovery"));
    EXPECT_EQ(ElementText(probe, "Types"), QStringLiteral("wsdp:Device"));
    EXPECT_TRUE(probe.contains("xmlns:wsdp=\"http://schemas.xmlsoap.org/ws/2006/02/devprof\""));
    EXPECT_FALSE(probe.contains("Scopes"));
    // Our own parser reads it back as a probe.
    const std::optional<Wsd::Message> parsed = Wsd::ParseMessage(probe);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->action, Wsd::Action::Probe);
    EXPECT_EQ(parsed->messageId, id);
}

TEST(WsDiscoveryMessagesTest, ResolveAndGetNameTheEndpoint)
{
    const QByteArray resolve =
        Wsd::BuildResolve(QStringLiteral("urn:uuid:r"), QStringLiteral("urn:uuid:host-9"));
    EXPECT_EQ(ElementText(resolve, "Address"), QStringLiteral("urn:uuid:host-9"));
    EXPECT_EQ(Wsd::ParseMessage(resolve)->action, Wsd::Action::Resolve);
    const QByteArray get =
        Wsd::BuildMetadataGet(QStringLiteral("urn:uuid:g"), QStringLiteral("urn:uuid:host-9"));
    EXPECT_EQ(ElementText(get, "To"), QStringLiteral("urn:uuid:host-9"));
    EXPECT_EQ(ElementText(get, "Action"),
              QStringLiteral("http://schemas.xmlsoap.org/ws/2004/09/transfer/Get"));
    // Characters that XML must escape stay intact.
    const QByteArray odd = Wsd::BuildResolve(QStringLiteral("urn:uuid:r"), QStringLiteral("a<b&c"));
    EXPECT_EQ(ElementText(odd, "Address"), QStringLiteral("a<b&c"));
}

TEST(WsDiscoveryMessagesTest, ProbeMatchesGiveEachEndpointWithTypesAndXAddrs)
{
    const std::optional<Wsd::Message> message = Wsd::ParseMessage(kProbeMatches);
    ASSERT_TRUE(message);
    EXPECT_EQ(message->action, Wsd::Action::ProbeMatches);
    EXPECT_EQ(message->messageId, QStringLiteral("urn:uuid:11111111-2222-3333-4444-555555555555"));
    EXPECT_EQ(message->relatesTo, QStringLiteral("urn:uuid:aaaaaaaa-bbbb-cccc-dddd-eeeeeeeeeeee"));
    ASSERT_EQ(message->endpoints.size(), 2u);
    const Wsd::Endpoint& computer = message->endpoints[0];
    EXPECT_EQ(computer.address, QStringLiteral("urn:uuid:0f0f0f0f-1111-2222-3333-444444444444"));
    EXPECT_EQ(computer.types, (QStringList{"wsdp:Device", "pub:Computer"}));
    EXPECT_EQ(computer.xaddrs, (QStringList{"http://198.18.0.2:5357/0f0f0f0f-1111-2222-3333-444444444444",
                                            "http://[fe80::1]:5357/x"}));
    EXPECT_EQ(computer.metadataVersion, QStringLiteral("2"));
    EXPECT_TRUE(computer.isComputer());
    EXPECT_FALSE(message->endpoints[1].isComputer());
    EXPECT_TRUE(message->endpoints[1].xaddrs.isEmpty());
}

TEST(WsDiscoveryMessagesTest, HelloAndByeAreReadWhateverThePrefixes)
{
    const std::optional<Wsd::Message> hello = Wsd::ParseMessage(kHelloOtherPrefixes);
    ASSERT_TRUE(hello);
    EXPECT_EQ(hello->action, Wsd::Action::Hello);
    ASSERT_EQ(hello->endpoints.size(), 1u);
    EXPECT_EQ(hello->endpoints[0].address, QStringLiteral("urn:uuid:host-9"));
    EXPECT_TRUE(hello->endpoints[0].isComputer());
    const std::optional<Wsd::Message> bye = Wsd::ParseMessage(kBye);
    ASSERT_TRUE(bye);
    EXPECT_EQ(bye->action, Wsd::Action::Bye);
    ASSERT_EQ(bye->endpoints.size(), 1u);
    EXPECT_EQ(bye->endpoints[0].address, QStringLiteral("urn:uuid:host-9"));
}

TEST(WsDiscoveryMessagesTest, MetadataGivesNameAndWorkgroupOrDomain)
{
    const std::optional<Wsd::ComputerInfo> workgroup =
        Wsd::ParseMetadata(Metadata("KHOST/Workgroup:KESTROVALAB"));
    ASSERT_TRUE(workgroup);
    EXPECT_EQ(workgroup->name, QStringLiteral("KHOST"));
    EXPECT_EQ(workgroup->workgroup, QStringLiteral("KESTROVALAB"));
    EXPECT_TRUE(workgroup->domain.isEmpty());
    EXPECT_EQ(workgroup->friendlyName, QStringLiteral("WSD Device KHOST"));
    const std::optional<Wsd::ComputerInfo> domain = Wsd::ParseMetadata(Metadata("khost/Domain:corp.example"));
    ASSERT_TRUE(domain);
    EXPECT_EQ(domain->name, QStringLiteral("khost"));
    EXPECT_EQ(domain->domain, QStringLiteral("corp.example"));
    EXPECT_TRUE(domain->workgroup.isEmpty());
    const Wsd::ComputerInfo notJoined = Wsd::ParseComputerText(QStringLiteral("PC7/NotJoined"));
    EXPECT_EQ(notJoined.name, QStringLiteral("PC7"));
    EXPECT_TRUE(notJoined.workgroup.isEmpty() && notJoined.domain.isEmpty());
    EXPECT_EQ(Wsd::ParseComputerText(QStringLiteral("BARE")).name, QStringLiteral("BARE"));
}

TEST(WsDiscoveryMessagesTest, MetadataWithoutAHostComputerNamesNothing)
{
    EXPECT_FALSE(Wsd::ParseMetadata(Metadata("")));
    EXPECT_FALSE(Wsd::ParseMetadata(Metadata("/Workgroup:X")));
    EXPECT_FALSE(Wsd::ParseMetadata(
        Metadata("KHOST/Workgroup:X", "http://schemas.xmlsoap.org/ws/2006/02/devprof/hosted")));
    EXPECT_FALSE(Wsd::ParseMetadata(kProbeMatches));
}

TEST(WsDiscoveryMessagesTest, WrongXmlGivesNoMessage)
{
    const QByteArray good(kProbeMatches);
    EXPECT_FALSE(Wsd::ParseMessage(QByteArray()));
    EXPECT_FALSE(Wsd::ParseMessage("not xml at all"));
    EXPECT_FALSE(Wsd::ParseMessage("<a><b></a></b>"));
    // Well-formed, but not a SOAP envelope.
    EXPECT_FALSE(Wsd::ParseMessage("<Envelope><Header/></Envelope>"));
    // Every truncation is rejected.
    for (qsizetype length = 0; length < good.size(); length += 7)
        EXPECT_FALSE(Wsd::ParseMessage(good.left(length))) << length;
}

TEST(WsDiscoveryMessagesTest, OversizedMessagesAreRefused)
{
    QByteArray padded(kProbeMatches);
    padded.insert(padded.indexOf("<soap:Body>"), QByteArray(Wsd::kMaxMessageSize, ' '));
    EXPECT_FALSE(Wsd::ParseMessage(padded));
    EXPECT_FALSE(Wsd::ParseMetadata(padded));
}

TEST(WsDiscoveryMessagesTest, EntityDeclarationsAreRefusedNotExpanded)
{
    // The classic exponential entity: refused at the document type declaration,
    // quickly, with nothing expanded.
    QByteArray bomb = "<?xml version=\"1.0\"?><!DOCTYPE e [<!ENTITY a \"aaaaaaaaaa\">";
    for (int level = 1; level < 10; ++level)
        bomb += QStringLiteral("<!ENTITY %1 \"&%2;&%2;&%2;&%2;&%2;&%2;&%2;&%2;&%2;&%2;\">")
                    .arg(QChar(u'a' + level))
                    .arg(QChar(u'a' + level - 1))
                    .toLatin1();
    bomb +=
        "]><soap:Envelope xmlns:soap=\"http://www.w3.org/2003/05/soap-envelope\"><soap:Header>"
        "<wsa:MessageID xmlns:wsa=\"http://schemas.xmlsoap.org/ws/2004/08/addressing\">&j;</wsa:MessageID>"
        "</soap:Header><soap:Body/></soap:Envelope>";
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(Wsd::ParseMessage(bomb));
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
    // An undeclared entity is an error too.
    EXPECT_FALSE(Wsd::ParseMessage("<soap:Envelope xmlns:soap=\"http://www.w3.org/2003/05/soap-envelope\">&x;"
                                   "</soap:Envelope>"));
}

TEST(WsDiscoveryMessagesTest, DeepNestingAndUnknownActionsDoNotConfuseTheParser)
{
    QByteArray deep = "<soap:Envelope xmlns:soap=\"http://www.w3.org/2003/05/soap-envelope\"><soap:Body>";
    for (int i = 0; i < 5000; ++i)
        deep += "<x>";
    for (int i = 0; i < 5000; ++i)
        deep += "</x>";
    deep += "</soap:Body></soap:Envelope>";
    const std::optional<Wsd::Message> message = Wsd::ParseMessage(deep);
    ASSERT_TRUE(message);
    EXPECT_EQ(message->action, Wsd::Action::Other);
    EXPECT_TRUE(message->endpoints.empty());
}

} // namespace
