#pragma once

#include "agent/SmbContext.h"
#include "platform/SmbAgentProtocol.h"

#include <QByteArray>
#include <cstdint>
#include <map>

// The agent's request loop: reads one request frame at a time from the
// protocol descriptor, runs it against libsmbclient and writes one reply.
// Single-threaded by design: libsmbclient is not safe for threads here.
class AgentServer {
public:
    AgentServer(SmbContext& context, int fd);
    ~AgentServer();

    // Serves requests until the client closes the stream. Returns the exit code.
    int run();

private:
    QByteArray handle(const QByteArray& request);
    QByteArray probe(SmbAgentProtocol::PayloadReader& in);
    QByteArray listEntries(SmbAgentProtocol::PayloadReader& in);
    QByteArray connect(SmbAgentProtocol::PayloadReader& in);
    QByteArray cancel(SmbAgentProtocol::PayloadReader& in);
    QByteArray listFolder(SmbAgentProtocol::PayloadReader& in);
    QByteArray openFile(SmbAgentProtocol::PayloadReader& in);
    QByteArray readFile(SmbAgentProtocol::PayloadReader& in);
    QByteArray closeFile(SmbAgentProtocol::PayloadReader& in);
    QByteArray createFile(SmbAgentProtocol::PayloadReader& in);
    QByteArray writeFile(SmbAgentProtocol::PayloadReader& in);
    QByteArray stat(SmbAgentProtocol::PayloadReader& in);
    QByteArray removeFile(SmbAgentProtocol::PayloadReader& in);
    QByteArray makeFolder(SmbAgentProtocol::PayloadReader& in);
    QByteArray removeFolder(SmbAgentProtocol::PayloadReader& in);
    // Reads a URL and runs one libsmbclient folder call on it.
    QByteArray folderCall(SmbAgentProtocol::PayloadReader& in, int (*call)(SMBCCTX*, const char*));
    QByteArray rename(SmbAgentProtocol::PayloadReader& in);
    // Whether the logon may write to a share, without writing anything.
    QByteArray writeAccess(SmbAgentProtocol::PayloadReader& in);
    QByteArray addFile(SMBCFILE* file);

    SmbContext& m_context;
    int m_fd;
    std::map<uint32_t, SMBCFILE*> m_files;
    uint32_t m_nextHandle = 1;
};
