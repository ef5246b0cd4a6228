#include "support/ChildProcess.h"

#include <QByteArray>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Everything written to the read end until every writer has closed it.
QByteArray Drain(int fd)
{
    QByteArray data;
    char buffer[256];
    ssize_t got;
    while ((got = ::read(fd, buffer, sizeof buffer)) > 0)
        data.append(buffer, got);
    return data;
}

int ExitCode(pid_t pid)
{
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

struct Pipe {
    int read = -1;
    int write = -1;
    Pipe()
    {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) == 0) {
            read = fds[0];
            write = fds[1];
        }
    }
    ~Pipe()
    {
        closeWrite();
        if (read >= 0)
            ::close(read);
    }
    void closeWrite()
    {
        if (write >= 0)
            ::close(write);
        write = -1;
    }
};

} // namespace

TEST(ChildProcessTest, ArgumentsReachTheChildAndItsStreamsGoWhereAsked)
{
    Pipe input, output, errors;
    ASSERT_GE(input.write, 0);
    ASSERT_EQ(::write(input.write, "from stdin", 10), 10);
    input.closeWrite();
    const pid_t pid = StartChild(QStringLiteral("sh"),
                                 {QStringLiteral("-c"), QStringLiteral("cat; echo \" $1\"; echo \"$0\" >&2"),
                                  QStringLiteral("zero arg"), QStringLiteral("one arg")},
                                 {input.read, output.write, errors.write});
    ASSERT_GT(pid, 0);
    output.closeWrite();
    errors.closeWrite();
    EXPECT_EQ(Drain(output.read), QByteArray("from stdin one arg\n"));
    EXPECT_EQ(Drain(errors.read), QByteArray("zero arg\n"));
    EXPECT_EQ(ExitCode(pid), 0);
}

TEST(ChildProcessTest, OneDescriptorMayTakeBothOutputs)
{
    Pipe both;
    const pid_t pid =
        StartChild(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("echo a; echo b >&2; exit 3")},
                   {-1, both.write, both.write});
    ASSERT_GT(pid, 0);
    both.closeWrite();
    EXPECT_EQ(Drain(both.read), QByteArray("a\nb\n"));
    EXPECT_EQ(ExitCode(pid), 3);
}

TEST(ChildProcessTest, AProgramThatCannotBeRunExitsWith127)
{
    const pid_t pid = StartChild(QStringLiteral("/nonexistent/kestrova-no-such-program"), {}, {});
    ASSERT_GT(pid, 0);
    EXPECT_EQ(ExitCode(pid), 127);
}
