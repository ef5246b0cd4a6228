#include "platform/SmbAgentProcess.h"

#include "model/LogCategories.h"
#include "platform/ProgramPath.h"
#include "platform/SmbAgentProtocol.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QMutex>
#include <QThread>
#include <cerrno>
#include <csignal>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

using namespace SmbAgentProtocol;

namespace {

QMutex commandMutex;
QStringList commandOverride;

PlatformError agentError(int code, const QString& message)
{
    return PlatformError{code, message};
}

bool StopDue(const SmbAgentOptions& options)
{
    return options.stop.stop_requested() || (options.stopRequested && options.stopRequested());
}

} // namespace

SmbAgentProcess::SmbAgentProcess(const SmbAgentOptions& options) : m_options(options) {}

SmbAgentProcess::~SmbAgentProcess()
{
    // Closing the stream tells the agent to log off and leave; one that is
    // blocked in the network is ended instead of waited for.
    endProcess(200);
}

void SmbAgentProcess::setAgentCommand(const QStringList& command)
{
    QMutexLocker lock(&commandMutex);
    commandOverride = command;
}

QStringList SmbAgentProcess::agentCommand()
{
    {
        QMutexLocker lock(&commandMutex);
        if (!commandOverride.isEmpty())
            return commandOverride;
    }
    // Exact text: README tells users to point this variable at the agent.
    QString fromEnvironment = qEnvironmentVariable("KESTROVA_SMB_AGENT");
    if (!fromEnvironment.isEmpty())
        return {fromEnvironment};
    return {SmbAgentPath()};
}

Result<void> SmbAgentProcess::start()
{
    QStringList command = agentCommand();
    if (m_options.browse)
        command << QStringLiteral("--browse");
    command << QStringLiteral("--timeout=%1").arg(m_options.requestTimeoutMs);

    int sockets[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sockets) < 0)
        return PlatformError::fromErrno(errno);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, sockets[1], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, sockets[1], STDOUT_FILENO);

    std::vector<QByteArray> arguments;
    arguments.reserve(static_cast<size_t>(command.size()));
    for (const QString& argument : command)
        arguments.push_back(argument.toLocal8Bit());
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 1);
    for (QByteArray& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    pid_t pid = 0;
    int result = ::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(sockets[1]);
    if (result != 0) {
        ::close(sockets[0]);
        PlatformError error = PlatformError::fromErrno(result);
        error.message =
            QStringLiteral("Cannot start the SMB agent %1: %2").arg(command.first(), error.message);
        // The search can only say a host's folders could not be listed; the cause is
        // on this machine, so it goes where the user of the program sees it.
        qCWarning(kestrovaSmb).noquote() << error.message;
        return error;
    }
    m_pid = pid;
    m_fd = sockets[0];
    qCDebug(kestrovaSmb) << "SMB agent started, pid" << pid << command;
    return {};
}

PlatformError SmbAgentProcess::die(const PlatformError& reason)
{
    qCDebug(kestrovaSmb) << "SMB agent, pid" << m_pid << "is dead:" << reason.code << reason.message;
    endProcess(0);
    m_dead = true;
    m_deathReason = reason;
    return reason;
}

void SmbAgentProcess::endProcess(int waitMs)
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (m_pid <= 0)
        return;
    QElapsedTimer timer;
    timer.start();
    for (;;) {
        pid_t done = ::waitpid(m_pid, nullptr, WNOHANG);
        if (done == m_pid || (done < 0 && errno != EINTR))
            break;
        if (timer.elapsed() >= waitMs) {
            qCDebug(kestrovaSmb) << "SMB agent, pid" << m_pid << "killed: it did not end within" << waitMs
                                 << "ms";
            ::kill(m_pid, SIGKILL);
            while (::waitpid(m_pid, nullptr, 0) < 0 && errno == EINTR) {
            }
            break;
        }
        QThread::msleep(5);
    }
    m_pid = 0;
}

Result<void> SmbAgentProcess::send(const QByteArray& request)
{
    if (m_dead)
        return m_deathReason;
    if (StopDue(m_options))
        return agentError(ECANCELED, QStringLiteral("Stopped"));
    if (m_fd < 0) {
        if (Result<void> started = start(); !started)
            return die(started.error());
    }
    if (writeFrame(m_fd, request) != IoStatus::Ok)
        return die(agentError(EPIPE, QStringLiteral("The SMB agent has ended")));
    return {};
}

bool SmbAgentProcess::replyReady() const
{
    if (m_dead || m_fd < 0)
        return false;
    pollfd waiting{m_fd, POLLIN, 0};
    int ready;
    while ((ready = ::poll(&waiting, 1, 0)) < 0 && errno == EINTR) {
    }
    return ready > 0;
}

Result<QByteArray> SmbAgentProcess::receive(int timeoutMs)
{
    if (timeoutMs < 0)
        timeoutMs = m_options.callTimeoutMs;
    if (m_dead)
        return m_deathReason;
    QElapsedTimer sinceStop;
    auto stopDue = [&] {
        if (!StopDue(m_options))
            return false;
        if (!sinceStop.isValid())
            sinceStop.start();
        return sinceStop.elapsed() >= m_options.stopGraceMs;
    };
    QByteArray payload;
    switch (readFrame(m_fd, payload, timeoutMs, stopDue)) {
    case IoStatus::Ok:
        break;
    case IoStatus::Stopped:
        return die(agentError(ECANCELED, QStringLiteral("Stopped")));
    case IoStatus::TimedOut:
        return die(agentError(
            ETIMEDOUT, QStringLiteral("The SMB agent did not answer within %1 s").arg(timeoutMs / 1000.0)));
    case IoStatus::Corrupted:
        return die(agentError(EPROTO, QStringLiteral("The SMB agent sent a corrupted reply")));
    case IoStatus::Closed:
        return die(agentError(EPIPE, QStringLiteral("The SMB agent has ended")));
    }
    PayloadReader in(payload);
    if (in.type() == MessageType::Error) {
        PlatformError error;
        error.code = in.i32();
        error.message = in.string();
        if (!in.complete() || error.code == 0)
            return die(agentError(EPROTO, QStringLiteral("The SMB agent sent a corrupted reply")));
        return error;
    }
    if (in.type() != MessageType::Ok)
        return die(agentError(EPROTO, QStringLiteral("The SMB agent sent a corrupted reply")));
    return payload;
}

Result<QByteArray> SmbAgentProcess::call(const QByteArray& request, int timeoutMs)
{
    if (Result<void> sent = send(request); !sent)
        return sent.error();
    return receive(timeoutMs);
}
