#include "app/ShellFunctions.h"
#include "support/GuiTestApplication.h"
#include "support/QStringPrinter.h"
#include "support/RunProgram.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QMutex>
#include <QThread>
#include <gtest/gtest.h>
#include <signal.h>

namespace {

// A file manager on a private session bus: answers ShowItems and records its
// arguments. It lives in a thread of its own, because the program's call blocks the
// main thread until the answer comes.
class TFakeFileManager : public QDBusVirtualObject {
public:
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        {
            QMutexLocker lock(&m_mutex);
            m_calls.append(message.member() + u' ' + message.arguments().value(0).toStringList().join(u'|'));
        }
        connection.send(message.createReply());
        return true;
    }
    QStringList calls() const
    {
        QMutexLocker lock(&m_mutex);
        return m_calls;
    }

private:
    mutable QMutex m_mutex;
    QStringList m_calls;
};

class ContainingFolderTest : public ::testing::Test {
protected:
    // One private bus for the whole binary: Qt reads the session bus address once.
    static void SetUpTestSuite()
    {
        const TProgramResult daemon =
            RunProgram("dbus-daemon", {"--session", "--fork", "--print-address=1", "--print-pid=1"}, 10000);
        const QList<QByteArray> lines = daemon.output.split('\n');
        if (daemon.exitCode != 0 || lines.size() < 2)
            return;
        busAddress = QString::fromUtf8(lines[0].trimmed());
        busPid = lines[1].trimmed().toInt();
        qputenv("DBUS_SESSION_BUS_ADDRESS", busAddress.toUtf8());
    }
    static void TearDownTestSuite()
    {
        if (busPid > 0)
            ::kill(busPid, SIGTERM);
    }

    void SetUp() override
    {
        EnsureGuiApplication();
        if (busAddress.isEmpty())
            GTEST_SKIP() << "dbus-daemon did not start";
        SetProgramStarter([this](const QString& program, const QStringList& arguments) {
            started.append(program + u' ' + arguments.join(u' '));
            return starterAnswer;
        });
    }
    void TearDown() override { SetProgramStarter({}); }

    static inline QString busAddress;
    static inline int busPid = 0;
    TRecordingPrompts prompts;
    QStringList started;
    bool starterAnswer = true;
};

TEST_F(ContainingFolderTest, AddressesOfTheHitAndOfItsFolder)
{
    EXPECT_EQ(DesktopAddressFor("\\\\PC1\\docs\\a b.txt", false), "smb://PC1/docs/a%20b.txt");
    EXPECT_EQ(DesktopAddressFor("\\\\PC1\\docs\\a b.txt", true), "smb://PC1/docs");
    EXPECT_EQ(DesktopAddressFor("/tmp/dir/x y.txt", false), "file:///tmp/dir/x%20y.txt");
    EXPECT_EQ(DesktopAddressFor("/tmp/dir/x y.txt", true), "file:///tmp/dir");
}

TEST_F(ContainingFolderTest, WithoutAFileManagerOnTheBusXdgOpenGetsTheFoldersSmbAddress)
{
    ShowContainingFolder("\\\\PC1\\docs\\2024\\plan #1.txt");
    EXPECT_EQ(started, QStringList({"xdg-open smb://PC1/docs/2024"}));
    EXPECT_TRUE(prompts.errors.isEmpty());

    starterAnswer = false;
    ShowContainingFolder("\\\\PC1\\docs\\a.txt");
    EXPECT_EQ(prompts.errors, QStringList({"No program is associated to open this file."}));
}

TEST_F(ContainingFolderTest, AFileManagerOnTheBusIsAskedToShowTheItemItself)
{
    QThread thread;
    thread.start();
    TFakeFileManager fileManager;
    fileManager.moveToThread(&thread);
    QDBusConnection service = QDBusConnection::connectToBus(busAddress, "fake-file-manager");
    ASSERT_TRUE(service.isConnected());
    ASSERT_TRUE(service.registerVirtualObject("/org/freedesktop/FileManager1", &fileManager));
    ASSERT_TRUE(service.registerService("org.freedesktop.FileManager1"));

    ShowContainingFolder("\\\\PC1\\docs\\2024\\plan #1.txt");
    EXPECT_EQ(fileManager.calls(), QStringList({"ShowItems smb://PC1/docs/2024/plan%20%231.txt"}));
    EXPECT_TRUE(started.isEmpty()) << started.join(", ").toStdString();

    service.unregisterService("org.freedesktop.FileManager1");
    service.unregisterObject("/org/freedesktop/FileManager1");
    QDBusConnection::disconnectFromBus("fake-file-manager");
    thread.quit();
    thread.wait();
}

} // namespace
