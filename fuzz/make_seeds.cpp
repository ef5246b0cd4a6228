// Writes the seed corpora of the targets whose inputs the program itself writes,
// with the program's own writers: fuzz_make_seeds <fuzz/corpus folder>. The seeds
// are kept in the repository; run it again after a writer changes.
#include "accounts/AccountImport.h"
#include "files/IniFile.h"
#include "model/ItemRecord.h"
#include "platform/DnsMessage.h"
#include "platform/NetBiosStatusChannel.h"
#include "platform/SmbAgentProtocol.h"
#include "platform/WsDiscoveryMessages.h"
#include "store/ByteReader.h"
#include "store/CompoundFile.h"
#include "store/ComputerListFile.h"
#include "store/ImageListStream.h"
#include "store/LegacyResults.h"
#include "store/ResultsFile.h"

#include <QDir>
#include <QFile>
#include <cstdio>
#include <fcntl.h>
#include <linux/neighbour.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

QString g_root;

QString SeedPath(const char* target, const char* name)
{
    QDir(g_root).mkpath(QString::fromLatin1(target));
    return QStringLiteral("%1/%2/%3").arg(g_root, QString::fromLatin1(target), QString::fromLatin1(name));
}

void WriteSeed(const char* target, const char* name, const QByteArray& bytes)
{
    QFile file(SeedPath(target, name));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s/%s\n", target, name);
        std::exit(1);
    }
}

TIconList SampleIcons()
{
    TIconImage folder(16, 16, 0xFFE0C040);
    folder.setPixel(0, 0, 0x00000000);
    TIconImage file(16, 16, 0x80FFFFFF);
    file.setPixel(15, 15, 0xFF0000FF);
    TIconImage large(32, 32, 0xFF102030);
    return {folder, file, large};
}

TItemList SampleRecords()
{
    return {
        MakeItemRecord(QStringLiteral("\\\\HOST1\\share\\docs"), kAttrDirectory, 0, 45000.5, 0),
        MakeItemRecord(QStringLiteral("\\\\HOST1\\share\\docs\\Ärger.txt"), kAttrArchive, 1, 45001.25, 1234),
        MakeItemRecord(QStringLiteral("ftp://198.18.0.2/pub/readme"), 0, -1, 0.0, 5368709120LL)};
}

void ResultsSeeds()
{
    SaveResultsToFile(SeedPath("results_file", "unicode.dat"), SampleRecords(), SampleIcons());
    SaveResultsToFile(SeedPath("results_file", "empty.dat"), {}, {});
    // The older form: 560-byte records in "mainlist".
    TCompoundFileWriter writer(SeedPath("results_file", "legacy.dat"));
    writer.beginStream("mainlist");
    for (const char* name : {"\\\\OLDHOST\\c\\autoexec.bat", "\\\\OLDHOST\\c\\windows"}) {
        QByteArray record(kLegacyRecordSize, '\0');
        record.replace(0, qsizetype(std::strlen(name)), name);
        StoreLE32(record.data() + 524, 0x20);
        StoreLE32(record.data() + 528, 4096);
        StoreLEDouble(record.data() + 536, 36000.0);
        StoreLEDouble(record.data() + 544, 0.5);
        StoreLE32(record.data() + 552, 0);
        writer.write(record.constData(), record.size());
    }
    writer.endStream();
    const QByteArray images = WriteImageListStream(SampleIcons());
    writer.beginStream("images");
    writer.write(images.constData(), images.size());
    writer.endStream();
    writer.commit();

    WriteSeed("image_list", "three.bin", images);
    WriteSeed("image_list", "none.bin", WriteImageListStream({}));
}

void IniSeeds()
{
    TIniFile ini(SeedPath("ini", "settings.ini"));
    ini.WriteString(QStringLiteral("Options"), QStringLiteral("Key"), QStringLiteral("  quoted value "));
    ini.WriteInteger(QStringLiteral("Options"), QStringLiteral("Threads"), -1);
    ini.WriteBool(QStringLiteral("Options"), QStringLiteral("Flag"), true);
    ini.WriteDate(QStringLiteral("Options"), QStringLiteral("Since"), 45000.0);
    ini.WriteString(QStringLiteral("Accounts"), QStringLiteral("Computer1"), QStringLiteral("\\\\HOST"));
    ini.UpdateFile();
    WriteSeed("ini", "handwritten.ini",
              "\xEF\xBB\xBF; comment\r\n[options]\r\nkey = "
              "'single'\r\nKEY=second\nThreads=0x7FFFFFFF\rSince=2024-1-5\n");
}

void AccountSeeds()
{
    QByteArray records;
    for (const char* field : {"\\\\HOST1", "administrator", "secret", "\\\\PC*", "guest", ""}) {
        QByteArray padded(64, '\0');
        padded.replace(0, qsizetype(std::strlen(field)), field);
        records += padded;
    }
    WriteSeed("legacy_accounts", "two.dat", records);
    WriteSeed("account_csv", "comma.csv", ",\\\\HOST1,user,pass\r\n\"HOST 2\",\"us\"\"er\",\r\n  host3 ,,\n");
    static const char utf16[] = ";\xFF\xFEh\0o\0s\0t\0;\0u\0\n\0";
    WriteSeed("account_csv", "semicolon.csv", QByteArray(utf16, sizeof utf16 - 1));
}

void ComputerListSeeds()
{
    SaveComputerList(
        SeedPath("computer_list", "hosts.txt"),
        {QStringLiteral("\\\\HOST1"), QStringLiteral("PC*"), QStringLiteral("198.18.0.1-198.18.0.20")});
    WriteSeed("computer_list", "utf8.txt", "\xEF\xBB\xBF  \\\\h\xC3\xB6st \r\n\r\n10.0.0.*\n");
}

void ProtocolSeeds()
{
    using namespace SmbAgentProtocol;
    auto frames = [](const char* name, char direction, const std::vector<QByteArray>& payloads) {
        const QString path = SeedPath("smb_agent_protocol", name);
        const int fd = open(path.toLocal8Bit().constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0 || write(fd, &direction, 1) != 1)
            std::exit(1);
        for (const QByteArray& payload : payloads)
            if (writeFrame(fd, payload) != IoStatus::Ok)
                std::exit(1);
        close(fd);
    };
    frames("requests.bin", 0,
           {PayloadWriter(MessageType::Probe).string(QStringLiteral("host1")).u16(445).u32(2000).payload(),
            PayloadWriter(MessageType::Connect)
                .string(QStringLiteral("smb://host1/share"))
                .string(QStringLiteral("host1"))
                .string(QStringLiteral("share"))
                .string(QStringLiteral("user"))
                .string(QStringLiteral("pw"))
                .string(QStringLiteral("WG"))
                .payload(),
            PayloadWriter(MessageType::ReadFile).u32(1).i64(0).u32(65536).payload(),
            PayloadWriter(MessageType::WriteFile).u32(1).i64(4).bytes(QByteArray("data")).payload(),
            PayloadWriter(MessageType::Rename)
                .string(QStringLiteral("smb://h/s/a"))
                .string(QStringLiteral("smb://h/s/b"))
                .u8(1)
                .payload(),
            PayloadWriter(MessageType::WriteAccess).string(QStringLiteral("smb://h/s")).payload()});
    frames("listing-reply.bin", char(0x80 + int(MessageType::ListFolder) - 1),
           {PayloadWriter(MessageType::Ok)
                .u32(2)
                .string(QStringLiteral("a.txt"))
                .u32(0x20)
                .i64(10)
                .i64(1700000000)
                .string(QStringLiteral("sub"))
                .u32(0x10)
                .i64(0)
                .i64(1700000000)
                .payload(),
            PayloadWriter(MessageType::Error).i32(13).string(QStringLiteral("Permission denied")).payload()});
    frames("shares-reply.bin", char(0x80 + int(MessageType::ListEntries) - 1),
           {PayloadWriter(MessageType::Ok)
                .u32(1)
                .string(QStringLiteral("public"))
                .u32(kSmbcFileShare)
                .bytes(QByteArray("comment"))
                .payload()});
    frames("write-access-reply.bin", char(0x80 + int(MessageType::WriteAccess) - 1),
           {PayloadWriter(MessageType::Ok)
                .u8(1)
                .string(
                    QStringLiteral("REVISION:1,OWNER:S-1-22-1-0,GROUP:S-1-22-2-0,ACL:S-1-1-0:0/0/0x001f01ff"))
                .payload(),
            PayloadWriter(MessageType::Ok).u8(0).string(QString()).payload(),
            PayloadWriter(MessageType::Error).i32(5).string(QStringLiteral("Input/output error")).payload()});
}

void NetworkSeeds()
{
    WriteSeed("netbios_status", "request-echo.bin", NetBiosStatusChannel::BuildNodeStatusRequest(0x1234));
    WriteSeed("netbios_status", "short.bin", QByteArray(11, '\x01'));

    WriteSeed("dns", "query.bin", Dns::BuildQuery(QStringLiteral("_smb._tcp.local"), Dns::TypePtr, true, 7));
    WriteSeed("dns", "queries.bin",
              Dns::BuildQuery({{QStringLiteral("_device-info._tcp.local"), Dns::TypeTxt, false},
                               {QStringLiteral("host1.local"), Dns::TypeAaaa, false}}));

    const QString id = QStringLiteral("urn:uuid:11111111-2222-3333-4444-555555555555");
    WriteSeed("wsdiscovery", "probe.xml", Wsd::BuildProbe(id));
    WriteSeed("wsdiscovery", "resolve.xml", Wsd::BuildResolve(id, QStringLiteral("urn:uuid:host-9")));
    WriteSeed("wsdiscovery", "get.xml", Wsd::BuildMetadataGet(id, QStringLiteral("urn:uuid:host-9")));

    // Netlink: a route reply straight onto a link, a neighbour entry with a
    // hardware address, an error and the end of a dump, as the kernel sends them.
    QByteArray messages;
    auto append = [&messages](uint16_t type, uint32_t sequence, const QByteArray& body) {
        nlmsghdr header{};
        header.nlmsg_len = NLMSG_LENGTH(body.size());
        header.nlmsg_type = type;
        header.nlmsg_seq = sequence;
        QByteArray message(reinterpret_cast<const char*>(&header), sizeof header);
        message += body;
        message.append(QByteArray(NLMSG_ALIGN(message.size()) - message.size(), '\0'));
        messages += message;
    };
    auto attribute = [](uint16_t type, const QByteArray& value) {
        rtattr head{};
        head.rta_len = RTA_LENGTH(value.size());
        head.rta_type = type;
        QByteArray bytes(reinterpret_cast<const char*>(&head), sizeof head);
        bytes += value;
        bytes.append(QByteArray(RTA_ALIGN(bytes.size()) - bytes.size(), '\0'));
        return bytes;
    };
    const QByteArray address("\xC6\x12\x00\x05", 4);
    rtmsg route{};
    route.rtm_family = AF_INET;
    route.rtm_type = RTN_UNICAST;
    append(RTM_NEWROUTE, 1,
           QByteArray(reinterpret_cast<const char*>(&route), sizeof route) + attribute(RTA_DST, address) +
               attribute(RTA_OIF, QByteArray(4, '\x02')));
    ndmsg entry{};
    entry.ndm_family = AF_INET;
    entry.ndm_state = NUD_REACHABLE;
    append(RTM_NEWNEIGH, 0,
           QByteArray(reinterpret_cast<const char*>(&entry), sizeof entry) + attribute(NDA_DST, address) +
               attribute(NDA_LLADDR, "\x02\x00\x00\x00\x00\x07"));
    nlmsgerr error{};
    error.error = -101;
    append(NLMSG_ERROR, 2, QByteArray(reinterpret_cast<const char*>(&error), sizeof error));
    append(NLMSG_DONE, 3, QByteArray(4, '\0'));
    WriteSeed("netlink_neighbour", "route-neighbour-error-done.bin", messages);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <fuzz/corpus folder>\n", argv[0]);
        return 2;
    }
    g_root = QString::fromLocal8Bit(argv[1]);
    ResultsSeeds();
    IniSeeds();
    AccountSeeds();
    ComputerListSeeds();
    ProtocolSeeds();
    NetworkSeeds();
    return 0;
}
