#include "agent/AgentServer.h"

#include "agent/PortProbe.h"
#include "model/Error.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

using namespace SmbAgentProtocol;

static_assert(kSmbcWorkgroup == SMBC_WORKGROUP && kSmbcServer == SMBC_SERVER &&
              kSmbcFileShare == SMBC_FILE_SHARE && kSmbcPrinterShare == SMBC_PRINTER_SHARE &&
              kSmbcCommsShare == SMBC_COMMS_SHARE && kSmbcIpcShare == SMBC_IPC_SHARE);

namespace {

// A failed libsmbclient call occasionally leaves errno at 0; the reply must
// still say it failed.
QByteArray errorReply(int code, const QString& context = {})
{
    if (code == 0)
        code = EIO;
    QString text = ErrnoText(code);
    if (!context.isEmpty())
        text = context + QStringLiteral(": ") + text;
    return PayloadWriter(MessageType::Error).i32(code).string(text).payload();
}

std::string utf8(const QString& value)
{
    return value.toStdString();
}

// Closes a libsmbclient directory handle however the listing ends.
class OpenDirectory {
public:
    OpenDirectory(SMBCCTX* context, const std::string& url)
        : m_context(context), m_handle(smbc_getFunctionOpendir(context)(context, url.c_str()))
    {
    }
    ~OpenDirectory()
    {
        if (m_handle)
            smbc_getFunctionClosedir(m_context)(m_context, m_handle);
    }
    OpenDirectory(const OpenDirectory&) = delete;
    OpenDirectory& operator=(const OpenDirectory&) = delete;
    SMBCFILE* handle() const { return m_handle; }

private:
    SMBCCTX* m_context;
    SMBCFILE* m_handle;
};

} // namespace

AgentServer::AgentServer(SmbContext& context, int fd) : m_context(context), m_fd(fd) {}

AgentServer::~AgentServer()
{
    SMBCCTX* context = m_context.get();
    for (auto& [handle, file] : m_files)
        smbc_getFunctionClose(context)(context, file);
}

int AgentServer::run()
{
    for (;;) {
        QByteArray request;
        IoStatus status = readFrame(m_fd, request);
        if (status == IoStatus::Closed)
            return 0;
        if (status != IoStatus::Ok)
            return 2;
        if (writeFrame(m_fd, handle(request)) != IoStatus::Ok)
            return 0;
    }
}

QByteArray AgentServer::handle(const QByteArray& request)
{
    PayloadReader in(request);
    QByteArray reply;
    switch (in.type()) {
    case MessageType::Probe:
        reply = probe(in);
        break;
    case MessageType::ListEntries:
        reply = listEntries(in);
        break;
    case MessageType::Connect:
        reply = connect(in);
        break;
    case MessageType::Cancel:
        reply = cancel(in);
        break;
    case MessageType::ListFolder:
        reply = listFolder(in);
        break;
    case MessageType::OpenFile:
        reply = openFile(in);
        break;
    case MessageType::ReadFile:
        reply = readFile(in);
        break;
    case MessageType::CloseFile:
        reply = closeFile(in);
        break;
    case MessageType::CreateFile:
        reply = createFile(in);
        break;
    case MessageType::WriteFile:
        reply = writeFile(in);
        break;
    case MessageType::Stat:
        reply = stat(in);
        break;
    case MessageType::RemoveFile:
        reply = removeFile(in);
        break;
    case MessageType::MakeFolder:
        reply = makeFolder(in);
        break;
    case MessageType::RemoveFolder:
        reply = removeFolder(in);
        break;
    case MessageType::Rename:
        reply = rename(in);
        break;
    case MessageType::WriteAccess:
        reply = writeAccess(in);
        break;
    default:
        return errorReply(EBADMSG, QStringLiteral("Unknown request"));
    }
    // Handlers check their fields before acting and return nothing for a
    // malformed request.
    if (reply.isEmpty() || !in.complete())
        return errorReply(EBADMSG, QStringLiteral("Malformed request"));
    return reply;
}

QByteArray AgentServer::probe(PayloadReader& in)
{
    std::string host = utf8(in.string());
    uint16_t port = in.u16();
    uint32_t timeoutMs = in.u32();
    if (!in.complete())
        return {};
    return PayloadWriter(MessageType::Ok).i32(ProbeTcpPort(host, port, int(timeoutMs))).payload();
}

QByteArray AgentServer::listEntries(PayloadReader& in)
{
    std::string url = utf8(in.string());
    if (!in.complete())
        return {};
    SMBCCTX* context = m_context.get();
    errno = 0;
    OpenDirectory directory(context, url);
    if (!directory.handle())
        return errorReply(errno);
    struct Entry {
        QByteArray name, comment;
        uint32_t type;
    };
    std::vector<Entry> entries;
    auto readdir = smbc_getFunctionReaddir(context);
    while (const smbc_dirent* entry = readdir(context, directory.handle()))
        entries.push_back(
            {QByteArray(entry->name), QByteArray(entry->comment ? entry->comment : ""), entry->smbc_type});
    PayloadWriter out(MessageType::Ok);
    out.u32(uint32_t(entries.size()));
    for (const Entry& entry : entries)
        out.bytes(entry.name).u32(entry.type).bytes(entry.comment);
    return out.payload();
}

QByteArray AgentServer::connect(PayloadReader& in)
{
    std::string url = utf8(in.string());
    std::string server = utf8(in.string());
    std::string share = utf8(in.string());
    SmbContext::Credentials credentials;
    credentials.user = utf8(in.string());
    credentials.password = utf8(in.string());
    credentials.workgroup = utf8(in.string());
    if (!in.complete())
        return {};
    // A cached connection is reused whatever password it was made with, so the
    // attempt starts from a clean cache to really test these credentials.
    auto previous = m_context.setCredentials(server, share, credentials);
    m_context.purgeConnections();
    errno = 0;
    OpenDirectory directory(m_context.get(), url);
    if (directory.handle())
        return PayloadWriter(MessageType::Ok).payload();
    int error = errno;
    m_context.restoreCredentials(server, share, previous);
    m_context.purgeConnections();
    return errorReply(error);
}

QByteArray AgentServer::cancel(PayloadReader& in)
{
    std::string server = utf8(in.string());
    std::string share = utf8(in.string());
    if (!in.complete())
        return {};
    m_context.forgetCredentials(server, share);
    m_context.purgeConnections();
    return PayloadWriter(MessageType::Ok).payload();
}

QByteArray AgentServer::listFolder(PayloadReader& in)
{
    std::string url = utf8(in.string());
    if (!in.complete())
        return {};
    SMBCCTX* context = m_context.get();
    errno = 0;
    OpenDirectory directory(context, url);
    if (!directory.handle())
        return errorReply(errno);
    // Entries go straight into the reply; the count in front is filled in last.
    PayloadWriter out(MessageType::Ok);
    const qsizetype countField = out.placeU32();
    uint32_t count = 0;
    // readdirplus2 would also fill a stat per entry, parsing the entry's URL and
    // renewing the logon settings for each one; the entry's own fields are all
    // the reply needs.
    auto readdirplus = smbc_getFunctionReaddirPlus(context);
    for (; const libsmb_file_info* info = readdirplus(context, directory.handle()); ++count)
        out.bytes(info->name).u32(info->attrs).i64(int64_t(info->size)).i64(int64_t(info->mtime_ts.tv_sec));
    out.setU32(countField, count);
    return out.payload();
}

QByteArray AgentServer::openFile(PayloadReader& in)
{
    std::string url = utf8(in.string());
    if (!in.complete())
        return {};
    SMBCCTX* context = m_context.get();
    errno = 0;
    SMBCFILE* file = smbc_getFunctionOpen(context)(context, url.c_str(), O_RDONLY, 0);
    if (!file)
        return errorReply(errno);
    struct stat status {};
    if (smbc_getFunctionFstat(context)(context, file, &status) < 0) {
        int error = errno;
        smbc_getFunctionClose(context)(context, file);
        return errorReply(error);
    }
    uint32_t handle = m_nextHandle++;
    m_files[handle] = file;
    return PayloadWriter(MessageType::Ok).u32(handle).i64(int64_t(status.st_size)).payload();
}

QByteArray AgentServer::addFile(SMBCFILE* file)
{
    uint32_t handle = m_nextHandle++;
    m_files[handle] = file;
    return PayloadWriter(MessageType::Ok).u32(handle).payload();
}

QByteArray AgentServer::readFile(PayloadReader& in)
{
    uint32_t handle = in.u32();
    int64_t offset = in.i64();
    uint32_t length = in.u32();
    if (!in.complete())
        return {};
    auto found = m_files.find(handle);
    if (found == m_files.end())
        return errorReply(EBADF);
    if (offset < 0)
        return errorReply(EINVAL);
    length = std::min(length, kMaxReadLength);
    SMBCCTX* context = m_context.get();
    errno = 0;
    if (smbc_getFunctionLseek(context)(context, found->second, off_t(offset), SEEK_SET) < 0)
        return errorReply(errno);
    QByteArray data(qsizetype(length), Qt::Uninitialized);
    uint32_t done = 0;
    auto read = smbc_getFunctionRead(context);
    while (done < length) {
        ssize_t got = read(context, found->second, data.data() + done, length - done);
        if (got < 0)
            return errorReply(errno);
        if (got == 0)
            break;
        done += uint32_t(got);
    }
    return PayloadWriter(MessageType::Ok).bytes(data.constData(), done).payload();
}

QByteArray AgentServer::closeFile(PayloadReader& in)
{
    uint32_t handle = in.u32();
    if (!in.complete())
        return {};
    auto found = m_files.find(handle);
    if (found == m_files.end())
        return errorReply(EBADF);
    SMBCCTX* context = m_context.get();
    SMBCFILE* file = found->second;
    m_files.erase(found);
    errno = 0;
    // Written data may only reach the server when the file is closed.
    if (smbc_getFunctionClose(context)(context, file) < 0)
        return errorReply(errno);
    return PayloadWriter(MessageType::Ok).payload();
}

QByteArray AgentServer::createFile(PayloadReader& in)
{
    std::string url = utf8(in.string());
    bool exclusive = in.u8() != 0;
    if (!in.complete())
        return {};
    SMBCCTX* context = m_context.get();
    int flags = O_WRONLY | O_CREAT | (exclusive ? O_EXCL : O_TRUNC);
    errno = 0;
    SMBCFILE* file = smbc_getFunctionOpen(context)(context, url.c_str(), flags, 0644);
    if (!file)
        return errorReply(errno);
    return addFile(file);
}

QByteArray AgentServer::writeFile(PayloadReader& in)
{
    uint32_t handle = in.u32();
    int64_t offset = in.i64();
    QByteArray data = in.bytes();
    if (!in.complete())
        return {};
    auto found = m_files.find(handle);
    if (found == m_files.end())
        return errorReply(EBADF);
    if (offset < 0 || data.size() > qsizetype(kMaxWriteLength))
        return errorReply(EINVAL);
    SMBCCTX* context = m_context.get();
    errno = 0;
    if (smbc_getFunctionLseek(context)(context, found->second, off_t(offset), SEEK_SET) < 0)
        return errorReply(errno);
    auto write = smbc_getFunctionWrite(context);
    qsizetype done = 0;
    while (done < data.size()) {
        errno = 0;
        ssize_t put = write(context, found->second, data.constData() + done, size_t(data.size() - done));
        if (put <= 0)
            return errorReply(put < 0 ? errno : EIO);
        done += put;
    }
    return PayloadWriter(MessageType::Ok).payload();
}

QByteArray AgentServer::stat(PayloadReader& in)
{
    std::string url = utf8(in.string());
    if (!in.complete())
        return {};
    SMBCCTX* context = m_context.get();
    struct stat status {};
    errno = 0;
    if (smbc_getFunctionStat(context)(context, url.c_str(), &status) < 0)
        return errorReply(errno);
    return PayloadWriter(MessageType::Ok)
        .u8(S_ISDIR(status.st_mode) ? 1 : 0)
        .i64(int64_t(status.st_size))
        .i64(int64_t(status.st_mtime))
        .payload();
}

QByteArray AgentServer::removeFile(PayloadReader& in)
{
    std::string url = utf8(in.string());
    if (!in.complete())
        return {};
    SMBCCTX* context = m_context.get();
    // Over SMB2 an unlink of a folder may report success without removing
    // anything: a folder is never a file to delete.
    struct stat status {};
    errno = 0;
    if (smbc_getFunctionStat(context)(context, url.c_str(), &status) < 0)
        return errorReply(errno);
    if (S_ISDIR(status.st_mode))
        return errorReply(EISDIR);
    errno = 0;
    if (smbc_getFunctionUnlink(context)(context, url.c_str()) < 0)
        return errorReply(errno);
    return PayloadWriter(MessageType::Ok).payload();
}

QByteArray AgentServer::makeFolder(PayloadReader& in)
{
    return folderCall(in, [](SMBCCTX* context, const char* url) {
        return smbc_getFunctionMkdir(context)(context, url, 0755);
    });
}

QByteArray AgentServer::removeFolder(PayloadReader& in)
{
    return folderCall(
        in, [](SMBCCTX* context, const char* url) { return smbc_getFunctionRmdir(context)(context, url); });
}

QByteArray AgentServer::folderCall(PayloadReader& in, int (*call)(SMBCCTX*, const char*))
{
    std::string url = utf8(in.string());
    if (!in.complete())
        return {};
    errno = 0;
    if (call(m_context.get(), url.c_str()) < 0)
        return errorReply(errno);
    return PayloadWriter(MessageType::Ok).payload();
}

QByteArray AgentServer::rename(PayloadReader& in)
{
    std::string url = utf8(in.string());
    std::string newUrl = utf8(in.string());
    bool replace = in.u8() != 0;
    if (!in.complete())
        return {};
    SMBCCTX* context = m_context.get();
    // libsmbclient replaces an existing target by itself (it deletes it and tries
    // again), so "do not replace" has to be checked first. A target that is the
    // source under another spelling (a change of case) is no other file.
    if (!replace) {
        struct stat source {
        }, target{};
        errno = 0;
        if (smbc_getFunctionStat(context)(context, newUrl.c_str(), &target) == 0) {
            const bool same = smbc_getFunctionStat(context)(context, url.c_str(), &source) == 0 &&
                              source.st_ino == target.st_ino && source.st_ino != 0;
            if (!same)
                return errorReply(EEXIST);
        } else if (errno != ENOENT) {
            return errorReply(errno);
        }
    }
    errno = 0;
    if (smbc_getFunctionRename(context)(context, url.c_str(), context, newUrl.c_str()) < 0)
        return errorReply(errno);
    return PayloadWriter(MessageType::Ok).payload();
}

QByteArray AgentServer::writeAccess(PayloadReader& in)
{
    std::string url = utf8(in.string());
    if (!in.complete())
        return {};
    // libsmbclient opens a path that ends in a separator as a folder listing, which
    // any reader may do: only the folder itself, asked for write access, tells.
    while (url.size() > 1 && url.back() == '/')
        url.pop_back();
    SMBCCTX* context = m_context.get();
    // An open for writing without O_CREAT or O_TRUNC creates and empties nothing.
    // libsmbclient asks for a file, so a server that grants the access answers that
    // the top folder is a folder (a server that hands out a handle anyway has it
    // closed by libsmbclient); one that refuses writing on the share answers
    // "access denied". Samba checks the share's "read only" and "write list" before
    // it looks at what kind of object the name is.
    errno = 0;
    SMBCFILE* file = smbc_getFunctionOpen(context)(context, url.c_str(), O_WRONLY, 0);
    int error = file ? 0 : errno;
    if (file)
        smbc_getFunctionClose(context)(context, file);
    if (error == EACCES || error == EPERM || error == EROFS)
        return PayloadWriter(MessageType::Ok).u8(0).bytes("").payload();
    if (error != 0 && error != EISDIR)
        return errorReply(error);
    // The folder's own ACL, for the client to weigh: SIDs as numbers, no name lookups.
    // A descriptor the logon may not read is left empty.
    std::string descriptor(64 * 1024, '\0');
    errno = 0;
    const int got = smbc_getFunctionGetxattr(context)(context, url.c_str(), "system.nt_sec_desc.*",
                                                      descriptor.data(), descriptor.size() - 1);
    descriptor.resize(got < 0 ? 0 : std::strlen(descriptor.c_str()));
    return PayloadWriter(MessageType::Ok).u8(1).bytes(descriptor.c_str()).payload();
}
