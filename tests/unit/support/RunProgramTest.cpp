#include "support/RunProgram.h"

#include "support/FixtureServerProcess.h"

#include <QElapsedTimer>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <thread>

// The tests' own way of running programs: fork and exec, output in files.
namespace {

using namespace std::chrono_literals;

TEST(RunProgramTest, GivesExitCodeAndBothOutputs)
{
    const TProgramResult result = RunProgram("sh", {"-c", "echo out; echo err >&2; exit 3"});
    EXPECT_EQ(result.exitCode, 3);
    EXPECT_EQ(result.output, "out\n");
    EXPECT_EQ(result.errors, "err\n");
}

TEST(RunProgramTest, AProgramThatOutlivesTheTimeOutIsEndedAndSaysSo)
{
    QElapsedTimer timer;
    timer.start();
    const TProgramResult result = RunProgram("sleep", {"30"}, 300);
    EXPECT_LT(timer.elapsed(), 10000);
    EXPECT_EQ(result.exitCode, -1);
    EXPECT_EQ(result.errors, "timed out");
}

// Under ThreadSanitizer a child started the way QProcess does it (a clone sharing the
// parent's memory) resets the sanitizer's thread list, and the next thread start ends
// the process; a plain fork leaves the parent's threads as they are.
TEST(RunProgramTest, ThreadsStartAfterAProgramRanBesideARunningThread)
{
    std::atomic<bool> release{false};
    std::thread waiting([&] {
        while (!release.load())
            std::this_thread::sleep_for(1ms);
    });
    const TProgramResult result = RunProgram("true", {});
    std::atomic<int> ran{0};
    std::thread later([&] { ran.fetch_add(1); });
    later.join();
    release = true;
    waiting.join();
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(ran.load(), 1);
}

TEST(FixtureServerProcessTest, StartedProgramShowsItsOutputAndEnds)
{
    FixtureServerProcess process;
    ASSERT_TRUE(process.startProgram("sh", {"-c", "echo ready; echo note >&2"}));
    QElapsedTimer timer;
    timer.start();
    while (process.running() && timer.elapsed() < 10000)
        std::this_thread::sleep_for(10ms);
    EXPECT_FALSE(process.running());
    EXPECT_EQ(process.output(), "ready\nnote\n");
}

TEST(FixtureServerProcessTest, AStillRunningProgramIsStoppedWhenTheObjectGoes)
{
    qint64 pid = 0;
    {
        FixtureServerProcess process;
        ASSERT_TRUE(process.startProgram("sleep", {"30"}));
        EXPECT_TRUE(process.running());
        pid = process.pid();
        ASSERT_GT(pid, 0);
    }
    // Ended and reaped: the PID no longer names a child of ours.
    EXPECT_EQ(::waitpid(static_cast<pid_t>(pid), nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}

} // namespace
