// kestrova-smb-agent: runs every libsmbclient call of one client in a process of
// its own. The protocol stream arrives as standard input (a socket); standard
// output is pointed at standard error so that nothing the library prints can
// corrupt the stream.
//
//   kestrova-smb-agent [--browse] [--timeout=MILLISECONDS]

#include "agent/AgentServer.h"
#include "agent/SmbContext.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <unistd.h>

// Samba's libraries keep talloc memory until the process ends; under
// LeakSanitizer builds that is not ours to report.
// The name is LeakSanitizer's own hook, hence reserved.
extern "C" const char* __lsan_default_suppressions() // NOLINT(bugprone-reserved-identifier)
{
    return "leak:libtalloc.so\nleak:libsmbclient.so\nleak:libsmbconf.so\nleak:libsamba\n";
}

int main(int argc, char** argv)
{
    bool browse = false;
    int timeoutMs = 10000;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--browse") == 0)
            browse = true;
        else if (std::strncmp(argv[i], "--timeout=", 10) == 0)
            timeoutMs = std::max(100, std::atoi(argv[i] + 10));
        else {
            std::fprintf(stderr, "kestrova-smb-agent: unknown argument %s\n", argv[i]);
            return 2;
        }
    }

    std::signal(SIGPIPE, SIG_IGN);
    int protocolFd = ::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 3);
    if (protocolFd < 0) {
        std::perror("kestrova-smb-agent: protocol stream");
        return 2;
    }
    int nullFd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (nullFd >= 0) {
        ::dup2(nullFd, STDIN_FILENO);
        ::close(nullFd);
    }
    ::dup2(STDERR_FILENO, STDOUT_FILENO);

    try {
        SmbContext context(browse, timeoutMs);
        AgentServer server(context, protocolFd);
        return server.run();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "kestrova-smb-agent: %s\n", error.what());
        return 1;
    }
}
