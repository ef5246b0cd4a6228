#include "app/InstanceNames.h"

#include "support/QStringPrinter.h"

#include <QCoreApplication>
#include <QProcess>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

// A name of this test process alone, so parallel runs and a running program never meet.
QString UniqueName()
{
    return QStringLiteral("KSVMUTEX-test-%1").arg(::getpid());
}

TEST(InstanceNamesTest, BothNamesAreHeldWhileTheObjectLivesAndFreedAfterwards)
{
    const QString name = UniqueName();
    {
        TInstanceNames names(name);
        EXPECT_EQ(names.heldNames(), QStringList({name, "Global\\" + name}));
        EXPECT_TRUE(TInstanceNames::isHeld(name));
        EXPECT_TRUE(TInstanceNames::isHeld("Global\\" + name));
    }
    EXPECT_FALSE(TInstanceNames::isHeld(name));
    EXPECT_FALSE(TInstanceNames::isHeld("Global\\" + name));
}

TEST(InstanceNamesTest, ASecondHolderStartsNormallyWithoutTheNames)
{
    const QString name = UniqueName();
    TInstanceNames first(name);
    TInstanceNames second(name);
    EXPECT_EQ(first.heldNames().size(), 2);
    EXPECT_TRUE(second.heldNames().isEmpty());
    EXPECT_TRUE(TInstanceNames::isHeld(name));
}

TEST(InstanceNamesTest, ChildProcessesDoNotKeepTheNamesAlive)
{
    const QString name = UniqueName();
    QProcess child;
    {
        TInstanceNames names(name);
        child.start("/bin/sleep", {"5"});
        ASSERT_TRUE(child.waitForStarted());
    }
    EXPECT_FALSE(TInstanceNames::isHeld(name));
    child.kill();
    child.waitForFinished();
}

} // namespace
