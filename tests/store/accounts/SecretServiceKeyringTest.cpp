#include "accounts/AccountList.h"
#include "accounts/PasswordKeeper.h"
#include "accounts/SecretServiceVault.h"
#include "files/IniFile.h"
#include "store/SettingsFile.h"
#include "store/WindowGeometry.h"
#include "support/QStringPrinter.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <gtest/gtest.h>
#include <memory>

// The desktop's keyring for real: the outer test starts a private session bus
// (dbus-run-session) with gnome-keyring-daemon on it, unlocked with a test password,
// in a temporary home, and runs this binary's DISABLED_ tests inside it. Where the
// tools are missing or the daemon does not come up, the test is skipped and says
// why. secret-tool (libsecret-tools) reads the entries back independently.

namespace {

const char* const kInnerFilter = "SecretServiceKeyringInside.*";
const QString kService = QStringLiteral("Kestrova");

void EnsureApplication()
{
    static int argc = 1;
    static char name[] = "SecretServiceKeyringTest";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        new QCoreApplication(argc, argv); // lives as long as the process: qtkeychain keeps objects on it
}

// What secret-tool finds under qtkeychain's attributes for key, or nothing.
std::optional<QString> LookUpIndependently(const QString& key)
{
    const TProgramResult result =
        RunProgram("secret-tool", {"lookup", "server", kService, "user", key}, 15000);
    if (result.exitCode != 0)
        return std::nullopt;
    return QString::fromUtf8(result.output);
}

TEST(SecretServiceKeyringTest, APrivateKeyringAnswersThroughTheVault)
{
    const QString runSession = QStandardPaths::findExecutable("dbus-run-session");
    const QString daemon = QStandardPaths::findExecutable("gnome-keyring-daemon");
    if (runSession.isEmpty() || daemon.isEmpty() || QStandardPaths::findExecutable("secret-tool").isEmpty())
        GTEST_SKIP() << "dbus-run-session, gnome-keyring-daemon or secret-tool is not installed "
                        "(scripts/setup-deps.sh installs them)";
    TempDir home;
    ASSERT_TRUE(QDir().mkpath(home.file("run")));
    ASSERT_TRUE(
        QFile::setPermissions(home.file("run"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", home.path());
    env.insert("XDG_RUNTIME_DIR", home.file("run"));
    env.insert("XDG_DATA_HOME", home.file("data"));
    env.insert("XDG_CONFIG_HOME", home.file("config"));
    env.insert("KESTROVA_TEST_KEYRING_PASSWORD", "test password");
    env.remove("DBUS_SESSION_BUS_ADDRESS");
    // The daemon is ended by its process id whatever the tests do.
    const QString script = QStringLiteral(
        "printf %s \"$KESTROVA_TEST_KEYRING_PASSWORD\" | gnome-keyring-daemon --foreground --unlock "
        "--components=secrets >/dev/null 2>&1 &\n"
        "keyring=$!\n"
        "\"$1\" --gtest_also_run_disabled_tests --gtest_filter=\"$2\"\n"
        "status=$?\n"
        "kill \"$keyring\" 2>/dev/null\n"
        "wait \"$keyring\" 2>/dev/null\n"
        "exit $status\n");
    QProcess inner;
    inner.setProcessEnvironment(env);
    inner.setProcessChannelMode(QProcess::MergedChannels);
    EnsureApplication();
    inner.start(runSession, {"--", "sh", "-c", script, "sh", QCoreApplication::applicationFilePath(),
                             QString::fromLatin1(kInnerFilter)});
    ASSERT_TRUE(inner.waitForStarted(10000)) << inner.errorString().toStdString();
    if (!inner.waitForFinished(120000)) {
        inner.kill();
        inner.waitForFinished(5000);
        FAIL() << "the tests inside the private session did not end within 120 s";
    }
    const QString output = QString::fromLocal8Bit(inner.readAll());
    if (output.contains("[  SKIPPED ]"))
        GTEST_SKIP() << "no Secret Service came up on the private bus:\n" << output.toStdString();
    EXPECT_EQ(inner.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains("[  PASSED  ] 2 tests.")) << output.toStdString();
}

// Inside the private session.
class SecretServiceKeyringInside : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureApplication(); }

    void SetUp() override
    {
        // The daemon registers on the bus a moment after it starts.
        QElapsedTimer waited;
        waited.start();
        while (!TSecretServiceVault(kService, 5000, 2000).Answers()) {
            if (waited.elapsed() > 20000)
                GTEST_SKIP() << "gnome-keyring-daemon did not answer within 20 s";
            QThread::msleep(200);
        }
    }

    std::unique_ptr<TProgramSettings> program = std::make_unique<TProgramSettings>();
};

TEST_F(SecretServiceKeyringInside, DISABLED_WritesReadsAndRemovesEntries)
{
    TSecretServiceVault vault(kService, 10000);
    const QString password = QString::fromUtf8("p\u00e4 ss\u20ac \"'");
    ASSERT_TRUE(vault.Write("id/\\\\PC1/anna", password).done());
    const TVaultReply read = vault.Read("id/\\\\PC1/anna");
    ASSERT_TRUE(read.done()) << read.Error.toStdString();
    EXPECT_EQ(read.Password, password);
    EXPECT_EQ(LookUpIndependently("id/\\\\PC1/anna"), password);

    EXPECT_EQ(vault.Read("id/\\\\PC1/nobody").Status, TVaultReply::TStatus::NotFound);
    EXPECT_TRUE(vault.Remove("id/\\\\PC1/anna").done());
    EXPECT_EQ(vault.Read("id/\\\\PC1/anna").Status, TVaultReply::TStatus::NotFound);
    EXPECT_EQ(LookUpIndependently("id/\\\\PC1/anna"), std::nullopt);
}

TEST_F(SecretServiceKeyringInside,
       DISABLED_AnInstalledSettingsFileKeepsItsPasswordsInTheKeyringAndMovesThemBack)
{
    const QString path = QDir(qEnvironmentVariable("XDG_CONFIG_HOME")).filePath("kestrova/kestrova.ini");
    THeadlessWindowGeometry window{QSize(1600, 900), TWindowBounds{10, 10, 640, 480}};
    program->Accounts.Clear();
    LoadSettings(path, window, *program); // a new file in the config folder: keyring on by default
    ASSERT_EQ(program->Passwords.Store(), TPasswordStore::SecretService);
    program->Accounts.Add({"\\\\PC1", "anna", "first"});
    program->Accounts.Add({"\\\\PC2", "bob", "second"});
    SaveSettings(path, window, *program);

    const TIniFile saved(path);
    const QString key = saved.ReadString("Accounts", "PasswordKey-1", {});
    EXPECT_EQ(saved.ReadString("Accounts", "Password-1", "<none>"), "");
    EXPECT_EQ(LookUpIndependently(key), "second");

    program->Accounts.Clear();
    LoadSettings(path, window, *program);
    EXPECT_EQ(program->Accounts.Snapshot(),
              QList<TUnicodeAccount>({{"\\\\PC1", "anna", "first"}, {"\\\\PC2", "bob", "second"}}));

    // Gone from the keyring behind the program's back: said, not used.
    ASSERT_EQ(RunProgram("secret-tool", {"clear", "server", kService, "user", key}, 15000).exitCode, 0);
    program->Accounts.Clear();
    LoadSettings(path, window, *program);
    ASSERT_EQ(program->Passwords.Problems().size(), 1);
    EXPECT_TRUE(program->Passwords.Problems().at(0).contains("bob"));
    EXPECT_EQ(program->Accounts.Snapshot(), QList<TUnicodeAccount>({{"\\\\PC1", "anna", "first"}}));

    // Into the settings file: the readable password moves, the missing one keeps its key.
    program->Passwords.SetStore(TPasswordStore::SettingsFile);
    SaveAccountsNow(path, *program);
    const TIniFile moved(path);
    EXPECT_EQ(moved.ReadString("Accounts", "Password-0", {}), "Zmlyc3Q=");
    EXPECT_EQ(moved.ReadString("Accounts", "PasswordKey-1", {}), key);
    EXPECT_EQ(LookUpIndependently(saved.ReadString("Accounts", "PasswordKey-0", {})), std::nullopt);
    program->Accounts.Clear();
}

TEST(SecretServiceVaultTest, NoSessionBusMeansNoKeyringWithinTheTimeOut)
{
    EnsureApplication();
    const QByteArray saved = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    TempDir dir;
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + QFile::encodeName(dir.file("no-bus")));
    QElapsedTimer timer;
    timer.start();
    TSecretServiceVault vault(kService, 3000, 3000);
    EXPECT_FALSE(vault.Answers());
    TPasswordKeeper keeper(&vault);
    QString why;
    EXPECT_FALSE(keeper.Write("k", "p", why));
    EXPECT_LT(timer.elapsed(), 7000);
    if (saved.isNull())
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    else
        qputenv("DBUS_SESSION_BUS_ADDRESS", saved);
}

} // namespace
