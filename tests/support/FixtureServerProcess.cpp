#include "support/FixtureServerProcess.h"

#include "support/ChildProcess.h"

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

// Starts program with the arguments, its standard input empty and its standard
// output and error going to the given files; the child's PID, or -1 with errno set.
pid_t Spawn(const QString& program, const QStringList& arguments, int output, int errors)
{
    const int input = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (input < 0)
        return -1;
    const pid_t pid = StartChild(program, arguments, {input, output, errors});
    const int forkError = errno;
    ::close(input);
    errno = forkError;
    return pid;
}

// Ends the child if it still runs (SIGTERM, SIGKILL after kStopTimeoutMs) and reaps
// it; its wait status.
int Stop(pid_t pid)
{
    if (const std::optional<int> status = Ended(pid))
        return *status;
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

} // namespace

FixtureCommandResult RunFixtureCommand(const QString& program, const QStringList& arguments, int timeoutMs)
{
    FixtureCommandResult result;
    const int output = AnonymousFile();
    const int errors = AnonymousFile();
    const pid_t pid = output >= 0 && errors >= 0 ? Spawn(program, arguments, output, errors) : -1;
    if (pid > 0) {
        QElapsedTimer timer;
        timer.start();
        std::optional<int> status;
        while (!(status = Ended(pid)) && timer.elapsed() < timeoutMs)
            std::this_thread::sleep_for(kPollInterval);
        result.finished = status.has_value();
        if (!status)
            status = Stop(pid);
        result.exitCode = WIFEXITED(*status) ? WEXITSTATUS(*status) : -1;
        result.output = ReadAll(output);
        result.errors = ReadAll(errors);
    } else {
        result.errors = QByteArray("cannot start ") + program.toLocal8Bit() + ": " + std::strerror(errno);
    }
    for (int fd : {output, errors})
        if (fd >= 0)
            ::close(fd);
    return result;
}

bool FixtureServerProcess::start(const QStringList& arguments, const QString& description, QString& why,
                                 bool& unavailable)
{
    unavailable = false;
    if (!QFile::exists(kPython)) {
        unavailable = true;
        why = kPython + QStringLiteral(" is not installed");
        return false;
    }
    if (!startProgram(kPython, arguments)) {
        why = QStringLiteral("cannot start ") + arguments.value(0) + QStringLiteral(": ") +
              QString::fromLocal8Bit(std::strerror(errno));
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

bool FixtureServerProcess::startProgram(const QString& program, const QStringList& arguments)
{
    stop();
    for (int* fd : {&m_output, &m_errors}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = AnonymousFile();
    }
    m_pid = m_output >= 0 && m_errors >= 0 ? Spawn(program, arguments, m_output, m_errors) : -1;
    if (m_pid < 0) {
        m_pid = 0;
        return false;
    }
    return true;
}

bool FixtureServerProcess::running()
{
    if (m_pid > 0 && Ended(m_pid))
        m_pid = 0;
    return m_pid > 0;
}

QByteArray FixtureServerProcess::output() const
{
    return (m_output >= 0 ? ReadAll(m_output) : QByteArray()) +
           (m_errors >= 0 ? ReadAll(m_errors) : QByteArray());
}

int FixtureServerProcess::stop()
{
    if (m_pid <= 0)
        return -1;
    return Stop(std::exchange(m_pid, 0));
}

FixtureServerProcess::~FixtureServerProcess()
{
    stop();
    for (int fd : {m_output, m_errors})
        if (fd >= 0)
            ::close(fd);
}
