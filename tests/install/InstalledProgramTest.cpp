#include "support/QStringPrinter.h"
#include "support/SmbFixture.h"
#include "support/TempDir.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>
#include <memory>
#include <unistd.h>

namespace {

struct TRun {
    int status = -1;
    QString out;
    QString errors;
};

// Runs a program to its end (at most timeoutMs) in a clean environment: no display,
// HOME and XDG_CONFIG_HOME in the given folder, nothing that points at the build.
TRun RunProgram(const QString& program, const QStringList& arguments, const QString& home,
                int timeoutMs = 120000)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_RUNTIME_DIR",
                             "KESTROVA_SMB_AGENT", "KESTROVA_MANUAL", "XDG_CONFIG_HOME"})
        environment.remove(QString::fromLatin1(name));
    if (!home.isEmpty()) {
        environment.insert(QStringLiteral("HOME"), home);
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
    }
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(home.isEmpty() ? QDir::tempPath() : home);
    process.start(program, arguments);
    TRun run;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        run.errors = QStringLiteral("did not end within the time-out");
        return run;
    }
    run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.errors = QString::fromLocal8Bit(process.readAllStandardError());
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return run;
}

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// One installation for all tests of the binary: cmake --install of this build into
// a temporary prefix.
class InstalledProgramTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        prefix = std::make_unique<TempDir>();
        const TRun run = RunProgram(QStringLiteral(KESTROVA_CMAKE_COMMAND),
                                    {QStringLiteral("--install"), QStringLiteral(KESTROVA_BINARY_DIR),
                                     QStringLiteral("--prefix"), prefix->path()},
                                    QString());
        installOutput = run.out + run.errors;
        installed = run.status == 0;
    }
    static void TearDownTestSuite() { prefix.reset(); }

    void SetUp() override { ASSERT_TRUE(installed) << installOutput.toStdString(); }

    static QString file(const QString& relative) { return prefix->file(relative); }
    static QString program() { return file(QStringLiteral("bin/kestrova")); }

    inline static std::unique_ptr<TempDir> prefix;
    inline static QString installOutput;
    inline static bool installed = false;
    TempDir home;
};

TEST_F(InstalledProgramTest, FilesLieWhereADistributionPutsThem)
{
    EXPECT_TRUE(QFileInfo(program()).isExecutable());
    EXPECT_TRUE(QFileInfo(file(QStringLiteral("libexec/kestrova/kestrova-smb-agent"))).isExecutable());
    EXPECT_FALSE(QFile::exists(file(QStringLiteral("bin/kestrova-smb-agent"))));

    const QByteArray desktop =
        ReadAll(file(QStringLiteral("share/applications/example.kestrova.Kestrova.desktop")));
    EXPECT_TRUE(desktop.contains("\nExec=kestrova\n"));
    EXPECT_TRUE(desktop.contains("\nIcon=kestrova\n"));
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QByteArray png =
            ReadAll(file(QStringLiteral("share/icons/hicolor/%1x%1/apps/kestrova.png").arg(size)));
        ASSERT_GE(png.size(), 24) << size;
        EXPECT_TRUE(png.startsWith("\x89PNG\r\n\x1a\n")) << size;
        // The IHDR chunk's width and height, big-endian, at bytes 16 and 20.
        auto at = [&png](int offset) {
            return (uchar(png[offset]) << 24) | (uchar(png[offset + 1]) << 16) |
                   (uchar(png[offset + 2]) << 8) | uchar(png[offset + 3]);
        };
        EXPECT_EQ(at(16), size);
        EXPECT_EQ(at(20), size);
    }
    EXPECT_TRUE(QFile::exists(file(QStringLiteral("share/icons/hicolor/scalable/apps/kestrova.svg"))));

    const QByteArray man = ReadAll(file(QStringLiteral("share/man/man1/kestrova.1")));
    EXPECT_TRUE(man.contains(".TH KESTROVA \"1\"")) << man.left(300).toStdString();
    EXPECT_TRUE(man.contains("/exportcsv:FILE")); // from --help
    EXPECT_TRUE(man.contains(".SH FILES"));       // from kestrova.h2m

    const QByteArray manual = ReadAll(file(QStringLiteral("share/doc/kestrova/manual/index.html")));
    EXPECT_TRUE(manual.contains("The two commands"));
    EXPECT_TRUE(manual.contains("Usage: kestrova [switch ...]"));
}

TEST_F(InstalledProgramTest, TheMetainfoFilePassesAppstreamValidation)
{
    const QString validator = QStandardPaths::findExecutable(QStringLiteral("appstreamcli"));
    if (validator.isEmpty())
        GTEST_SKIP() << "appstreamcli is not installed (scripts/setup-deps.sh)";
    const TRun run =
        RunProgram(validator,
                   {QStringLiteral("validate"), QStringLiteral("--no-net"),
                    file(QStringLiteral("share/metainfo/example.kestrova.Kestrova.metainfo.xml"))},
                   home.path());
    EXPECT_EQ(run.status, 0) << (run.out + run.errors).toStdString();
}

TEST_F(InstalledProgramTest, VersionAndHelpRunWithoutADisplay)
{
    TRun run = RunProgram(program(), {QStringLiteral("--version")}, home.path());
    EXPECT_EQ(run.status, 0) << run.errors.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("Kestrova %1.%2 Release %3\n")
                           .arg(KESTROVA_VERSION_MAJOR)
                           .arg(KESTROVA_VERSION_MINOR)
                           .arg(KESTROVA_VERSION_RELEASE));
    run = RunProgram(program(), {QStringLiteral("--help")}, home.path());
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(run.out.startsWith(QStringLiteral("Usage: kestrova [switch ...]\n")));
}

TEST_F(InstalledProgramTest, AnUnattendedSearchUsesTheInstalledAgentAndTheConfigFolder)
{
    KESTROVA_REQUIRE_SMB_FIXTURE();
    if (::geteuid() != 0)
        GTEST_SKIP() << "the host probes of an IP range search need root";
    const QString range = QStringLiteral("/range:") + SmbFixture::address(2) + u'-' + SmbFixture::address(3);
    const TRun run =
        RunProgram(program(),
                   {range, QStringLiteral("/mask:notes.txt"), QStringLiteral("/exportcsv:found.csv"),
                    QStringLiteral("/hide"), QStringLiteral("/close")},
                   home.path());
    ASSERT_EQ(run.status, 0) << run.errors.toStdString();

    const QString csv = QString::fromLatin1(ReadAll(home.file(QStringLiteral("found.csv"))));
    EXPECT_TRUE(csv.contains(QStringLiteral("\"notes.txt\",\"\\\\") + SmbFixture::address(2) +
                             QStringLiteral("\\public\\docs\\sub\",")))
        << csv.toStdString() << run.errors.toStdString();
    // The prefix is writable here (as /usr is for root), yet an installed copy keeps its
    // settings in the user's config folder.
    EXPECT_FALSE(QFile::exists(file(QStringLiteral("bin/kestrova.ini"))));
    const QByteArray ini = ReadAll(home.file(QStringLiteral("config/kestrova/kestrova.ini")));
    EXPECT_TRUE(ini.contains("History=notes.txt")) << ini.toStdString();
}

} // namespace
