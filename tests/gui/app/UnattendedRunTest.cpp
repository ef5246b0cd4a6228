#include "support/QStringPrinter.h"
#include "support/SmbFixture.h"
#include "support/TempDir.h"

#include <QDate>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Runs a copy of the program (its settings file then lands beside the copy, in a
// temporary folder) without a display, as a server would.
class UnattendedRunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        KESTROVA_REQUIRE_SMB_FIXTURE();
        if (::geteuid() != 0)
            GTEST_SKIP() << "the host probes of an IP range search need root";
        program = folder.file("kestrova");
        ASSERT_TRUE(QFile::copy(KESTROVA_BINARY_DIR "/kestrova", program));
    }

    int run(const QStringList& arguments)
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_RUNTIME_DIR"})
            environment.remove(name);
        environment.insert("KESTROVA_SMB_AGENT", KESTROVA_BINARY_DIR "/kestrova-smb-agent");
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(folder.path());
        process.start(program, arguments);
        if (!process.waitForFinished(180000)) {
            process.kill();
            process.waitForFinished();
            ADD_FAILURE() << "the program did not end on its own";
            return -1;
        }
        errors = QString::fromLocal8Bit(process.readAllStandardError());
        output = process.readAllStandardOutput();
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    QString range() const { return "/range:" + SmbFixture::address(2) + "-" + SmbFixture::address(3); }

    TempDir folder;
    QString program;
    QString errors;
    QByteArray output;
};

TEST_F(UnattendedRunTest, ARangeSearchWithCsvExportHideAndCloseEndsOnItsOwn)
{
    EXPECT_EQ(run({range(), "/mask:*.txt", "/exportcsv:out-%date%.csv", "hide", "close"}), 0)
        << errors.toStdString();
    QFile csv(folder.file("out-" + QDate::currentDate().toString("yyyy-MM-dd") + ".csv"));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly)) << errors.toStdString();
    const QString text = QString::fromLatin1(csv.readAll());
    EXPECT_TRUE(text.contains("\"notes.txt\",\"\\\\" + SmbFixture::address(2) + "\\public\\docs\\sub\","))
        << text.toStdString();
    for (const QString& line : text.split("\r\n", Qt::SkipEmptyParts))
        EXPECT_TRUE(line.startsWith('"') && line.section('"', 1, 1).endsWith(".txt", Qt::CaseInsensitive))
            << line.toStdString();

    // No warning of Qt's about a missing runtime folder: scripts take stderr for errors.
    EXPECT_FALSE(errors.contains("XDG_RUNTIME_DIR")) << errors.toStdString();

    // The range is the scope from now on, saved with the other settings.
    QFile settings(folder.file("kestrova.ini"));
    ASSERT_TRUE(settings.open(QIODevice::ReadOnly));
    const QByteArray ini = settings.readAll();
    EXPECT_TRUE(ini.contains("SearchMethod=3"));
    EXPECT_TRUE(ini.contains("History=*.txt"));
}

TEST_F(UnattendedRunTest, AFailedExportStillEndsTheRunButWithStatusOne)
{
    EXPECT_EQ(run({range(), "/mask:*.doc", "/exportxml:no-such-folder/x.xml", "/exporthtm:r.htm", "/hide",
                   "/close"}),
              1);
    EXPECT_TRUE(errors.contains("XML export error: ")) << errors.toStdString();
    EXPECT_TRUE(QFile::exists(folder.file("r.htm")));
}

TEST_F(UnattendedRunTest, ARefusedSearchWithoutADisplayEndsInsteadOfWaitingForever)
{
    EXPECT_EQ(run({"/text:abc", "/hide", "/close"}), 2);
    EXPECT_TRUE(errors.contains("No search mask is specified")) << errors.toStdString();
}

TEST_F(UnattendedRunTest, HideAndCloseWithoutAMaskEndWithStatusTwoInsteadOfRunningForever)
{
    EXPECT_EQ(run({range(), "hide", "close"}), 2);
    EXPECT_TRUE(errors.contains("nothing to search")) << errors.toStdString();
}

TEST_F(UnattendedRunTest, AMistypedSwitchEndsAnUnattendedRunWithStatusTwo)
{
    EXPECT_EQ(run({range(), "/mask:*.txt", "/exprotcsv:out.csv", "/hide", "/close"}), 2);
    EXPECT_TRUE(errors.contains("unknown switch \"/exprotcsv:out.csv\"")) << errors.toStdString();
    EXPECT_FALSE(QFile::exists(folder.file("out.csv")));
}

TEST_F(UnattendedRunTest, WhenEveryRangeIsInvalidTheErrorsGoToStderrAndTheStatusIsTwo)
{
    EXPECT_EQ(run({"/range:" + SmbFixture::address(3) + "-" + SmbFixture::address(2), "/mask:*.txt",
                   "/exportcsv:r.csv", "/hide", "/close"}),
              2);
    EXPECT_TRUE(errors.contains("IP Range is invalid (" + SmbFixture::address(3))) << errors.toStdString();
}

TEST_F(UnattendedRunTest, JsonLinesGoToStdoutAndAFileAndTheSummaryToStderr)
{
    EXPECT_EQ(run({range(), "/mask:*.txt", "/exportjson:-", "/exportjson:hits.jsonl", "/csvheader",
                   "/exportcsv:h.csv", "hide", "close"}),
              0)
        << errors.toStdString();
    EXPECT_EQ(output, ReadAll(folder.file("hits.jsonl")));
    const QList<QByteArray> lines = output.split('\n');
    ASSERT_GE(lines.size(), 2) << errors.toStdString();
    EXPECT_TRUE(lines.last().isEmpty());
    bool notesFound = false;
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        const QJsonObject hit = QJsonDocument::fromJson(lines[i]).object();
        EXPECT_TRUE(hit.value("name").toString().endsWith(".txt", Qt::CaseInsensitive))
            << lines[i].toStdString();
        EXPECT_TRUE(hit.value("url").toString().startsWith("smb://" + hit.value("host").toString() + "/"))
            << lines[i].toStdString();
        notesFound = notesFound || hit.value("url").toString() ==
                                       "smb://" + SmbFixture::address(2) + "/public/docs/sub/notes.txt";
    }
    EXPECT_TRUE(notesFound) << output.toStdString();

    // One summary line whose hit count is the number of objects written.
    static const QRegularExpression summary(
        "^Kestrova: (\\d+) hits?, (\\d+) hosts?, (\\d+) errors?, \\d+\\.\\d s$",
        QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = summary.match(errors);
    ASSERT_TRUE(match.hasMatch()) << errors.toStdString();
    EXPECT_EQ(match.captured(1).toLongLong(), lines.size() - 1);
    EXPECT_GE(match.captured(2).toInt(), 1);
    EXPECT_FALSE(errors.contains('\r')) << "no progress line when stderr is no terminal";

    EXPECT_TRUE(ReadAll(folder.file("h.csv")).startsWith("File Name,Location,Size,Date & Time,Attrs\r\n"));
}

} // namespace
