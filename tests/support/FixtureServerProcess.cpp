#include "support/FixtureServerProcess.h"

#include <QElapsedTimer>
#include <QFile>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

const QString kPython = QStringLiteral("/usr/bin/python3");
constexpr int kStartTimeoutMs = 15000;
constexpr int kStopTimeoutMs = 5000;
constexpr int kExitUnavailable = 77;
constexpr auto kPollInterval = std::chrono::milliseconds(10);

// A file without a name, gone when its last descriptor closes.
int AnonymousFile()
{
    int fd = ::open("/tmp", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0)
        return fd;
    char name[] = "/tmp/kestrova-fixture-XXXXXX";
    fd = ::mkostemp(name, O_CLOEXEC);
    if (fd >= 0)
        ::unlink(name);
    return fd;
}

QByteArray ReadAll(int fd)
{
    QByteArray data;
    char buffer[4096];
    ssize_t got;
    for (off_t at = 0; (got = ::pread(fd, buffer, sizeof buffer, at)) > 0; at += got)
        data.append(buffer, got);
    return data;
}

// The child's wait status once it has ended, else nothing (it is not reaped twice).
std::optional<int> Ended(pid_t pid)
{
    int status = 0;
    pid_t reaped;
    while ((reaped = ::waitpid(pid, &status, WNOHANG)) < 0 && errno == EINTR) {
    }
    return reaped == pid ? std::optional<int>(status) : std::nullopt;
}

} // namespace

bool FixtureServerProcess::start(const QStringList& arguments, const QString& description, QString& why,
                                 bool& unavailable)
{
    unavailable = false;
    if (!QFile::exists(kPython)) {
        unavailable = true;
        why = kPython + QStringLiteral(" is not installed");
        return false;
    }
    // Everything the child needs is ready before the fork: after it, a child of a
    // threaded process may only call async-signal-safe functions.
    std::vector<QByteArray> storage{kPython.toLocal8Bit()};
    for (const QString& argument : arguments)
        storage.push_back(argument.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& argument : storage)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    m_output = AnonymousFile();
    m_errors = AnonymousFile();
    const int input = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (m_output < 0 || m_errors < 0 || input < 0) {
        why = QStringLiteral("cannot start ") + arguments.value(0) + QStringLiteral(": ") +
              QString::fromLocal8Bit(std::strerror(errno));
        if (input >= 0)
            ::close(input);
        return false;
    }
    m_pid = ::fork();
    if (m_pid == 0) {
        ::dup2(input, STDIN_FILENO);
        ::dup2(m_output, STDOUT_FILENO);
        ::dup2(m_errors, STDERR_FILENO);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    const int forkError = errno;
    ::close(input);
    if (m_pid < 0) {
        m_pid = 0;
        why = QStringLiteral("cannot start ") + arguments.value(0) + QStringLiteral(": ") +
              QString::fromLocal8Bit(std::strerror(forkError));
        return false;
    }
    // Ready once it prints the port it listens on.
    QElapsedTimer timer;
    timer.start();
    std::optional<int> status;
    while (timer.elapsed() < kStartTimeoutMs) {
        const QByteArray output = ReadAll(m_output);
        const qsizetype at = output.indexOf("PORT ");
        const qsizetype end = at >= 0 ? output.indexOf('\n', at) : -1;
        if (end > at) {
            m_port = static_cast<uint16_t>(output.mid(at + 5, end - at - 5).toUInt());
            return true;
        }
        if ((status = Ended(m_pid)))
            break;
        std::this_thread::sleep_for(kPollInterval);
    }
    if (status)
        m_pid = 0;
    else
        status = stop();
    const QByteArray errors = ReadAll(m_errors).trimmed();
    unavailable = *status != -1 && WIFEXITED(*status) && WEXITSTATUS(*status) == kExitUnavailable;
    why = QStringLiteral("%1 did not start: %2")
              .arg(description, errors.isEmpty() ? QStringLiteral("no readiness line") : QString(errors));
    return false;
}

int FixtureServerProcess::stop()
{
    if (m_pid <= 0)
        return -1;
    const pid_t pid = std::exchange(m_pid, 0);
    ::kill(pid, SIGTERM); // this child's PID only
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < kStopTimeoutMs) {
        if (const std::optional<int> status = Ended(pid))
            return *status;
        std::this_thread::sleep_for(kPollInterval);
    }
    ::kill(pid, SIGKILL);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

FixtureServerProcess::~FixtureServerProcess()
{
    stop();
    for (int fd : {m_output, m_errors})
        if (fd >= 0)
            ::close(fd);
}
