#include "support/ChildProcess.h"

#include <QByteArray>
#include <unistd.h>
#include <vector>

pid_t StartChild(const QString& program, const QStringList& arguments, const TChildStreams& streams)
{
    // Everything the child needs is ready before the fork: after it, a child of a
    // threaded process may only call async-signal-safe functions.
    std::vector<QByteArray> storage{program.toLocal8Bit()};
    for (const QString& argument : arguments)
        storage.push_back(argument.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& argument : storage)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (streams.input >= 0)
            ::dup2(streams.input, STDIN_FILENO);
        if (streams.output >= 0)
            ::dup2(streams.output, STDOUT_FILENO);
        if (streams.errors >= 0)
            ::dup2(streams.errors, STDERR_FILENO);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    return pid;
}
