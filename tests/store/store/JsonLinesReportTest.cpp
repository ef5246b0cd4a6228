#include "store/JsonLinesReport.h"

#include "model/DateTime.h"
#include "model/Error.h"
#include "store/ReportExport.h"
#include "support/QStringPrinter.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

// Names that break naive writers: quotes and backslashes, control characters, a
// character outside the BMP, a percent sign and a blank for the URL.
const QString kAwkward =
    QString::fromUtf8("\\\\PC1\\docs\\say \"hi\"\x01\t\nsmile \xF0\x9F\x98\x80 100%.txt");

TItemList Records()
{
    const double when = EncodeDateTime({2024, 7, 1, 8, 9, 10, 0});
    return {
        MakeItemRecord(kAwkward, 0x21, -1, when, 9007199254740993LL), // 2^53 + 1: no double survives it
        MakeItemRecord(QStringLiteral("\\\\pc2\\Share\\Reports"), 0x10, -1, when, 0),
        MakeItemRecord(QStringLiteral("ftp://10.0.0.5:2121/pub/read me.txt"), 0, -1, when, 12),
    };
}

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Python's json module reads each line; the script prints what it understood, one
// field per line, with repr() so that control characters show.
const char* kPythonReader = R"(
import json, sys, datetime
with open(sys.argv[1], 'rb') as f:
    data = f.read()
assert not data.startswith(b'\xef\xbb\xbf'), 'byte order mark'
assert b'\r' not in data, 'CR in output'
for line in data.decode('utf-8').split('\n')[:-1]:
    o = json.loads(line)
    assert isinstance(o['size'], int), 'size is no integer'
    d = datetime.datetime.fromisoformat(o['modified'])
    assert d.utcoffset() is not None, 'date without offset'
    print(ascii(o['name']), ascii(o['location']), ascii(o['path']), o['url'], ascii(o['host']), o['size'],
          d.strftime('%Y-%m-%d %H:%M:%S'), o['attributes'], o['folder'])
)";

TEST(JsonLinesReportTest, PythonsJsonModuleReadsBackEveryFieldOfAwkwardNames)
{
    TempDir dir;
    const QString path = dir.file("hits.jsonl");
    ExportToJsonLines(path, Records());
    const QString script = dir.write("read.py", kPythonReader);

    const TProgramResult python = RunProgram("python3", {script, path});
    ASSERT_EQ(python.exitCode, 0) << python.errors.toStdString();
    const QStringList lines = QString::fromUtf8(python.output).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3) << python.output.toStdString();
    EXPECT_EQ(lines[0],
              QString("'say \"hi\"\\x01\\t\\nsmile \\U0001f600 100%.txt' '\\\\\\\\PC1\\\\docs' "
                      "'\\\\\\\\PC1\\\\docs\\\\say \"hi\"\\x01\\t\\nsmile \\U0001f600 100%.txt' "
                      "smb://PC1/docs/say%20%22hi%22%01%09%0Asmile%20%F0%9F%98%80%20100%25.txt 'PC1' "
                      "9007199254740993 2024-07-01 08:09:10 AR False"));
    EXPECT_EQ(lines[1], QString("'Reports' '\\\\\\\\pc2\\\\Share' '\\\\\\\\pc2\\\\Share\\\\Reports' "
                                "smb://pc2/Share/Reports 'pc2' 0 2024-07-01 08:09:10  True"));
    EXPECT_EQ(lines[2],
              QString("'read me.txt' 'ftp://10.0.0.5:2121/pub' 'ftp://10.0.0.5:2121/pub/read me.txt' "
                      "ftp://10.0.0.5:2121/pub/read%20me.txt '10.0.0.5:2121' 12 2024-07-01 08:09:10  False"));
}

TEST(JsonLinesReportTest, EachLineIsOneCompactObjectInUtf8WithTheLocalOffset)
{
    const TItemRecord hit = Records().at(0);
    const QByteArray line = JsonLine(hit);
    ASSERT_TRUE(line.endsWith('\n'));
    EXPECT_EQ(line.count('\n'), 1); // the name's line break is escaped
    EXPECT_TRUE(line.contains("\xF0\x9F\x98\x80")) << "non-BMP characters as their UTF-8 bytes";
    EXPECT_TRUE(line.contains("\\\"hi\\\"\\u0001\\t\\n"));
    const QJsonObject object = QJsonDocument::fromJson(line).object();
    EXPECT_EQ(object.value("name").toString(),
              QString::fromUtf8("say \"hi\"\x01\t\nsmile \xF0\x9F\x98\x80 100%.txt"));
    const QDateTime local = QDateTimeFromDateTime(hit.DateTime);
    const QDateTime read = QDateTime::fromString(object.value("modified").toString(), Qt::ISODate);
    ASSERT_TRUE(read.isValid()) << object.value("modified").toString().toStdString();
    EXPECT_EQ(read.toSecsSinceEpoch(), local.toSecsSinceEpoch());
    EXPECT_EQ(read.offsetFromUtc(), local.offsetFromUtc());
}

TEST(JsonLinesReportTest, AnEmptyListGivesAnEmptyFileAndAFailureNamesTheFormat)
{
    TempDir dir;
    ExportToJsonLines(dir.file("none.jsonl"), {});
    EXPECT_EQ(ReadFile(dir.file("none.jsonl")), QByteArray());
    try {
        ExportReport(TReportFormat::JsonLines, dir.file("no-such-folder/x.jsonl"), Records(), {});
        FAIL() << "no error";
    } catch (const EKestrovaError& error) {
        EXPECT_TRUE(error.message().startsWith("JSON export error: ")) << error.message().toStdString();
    }
}

TEST(JsonLinesReportTest, ADashWritesToTheStandardOutput)
{
    TempDir dir;
    const QString capture = dir.file("stdout.txt");
    fflush(stdout);
    const int saved = ::dup(STDOUT_FILENO);
    const int file = ::open(capture.toLocal8Bit().constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(file, 0);
    ::dup2(file, STDOUT_FILENO);
    ::close(file);
    ExportToJsonLines("-", Records());
    fflush(stdout);
    ::dup2(saved, STDOUT_FILENO);
    ::close(saved);

    EXPECT_FALSE(QFile::exists(dir.file("-")));
    QByteArray expected;
    for (const TItemRecord& hit : Records())
        expected += JsonLine(hit);
    EXPECT_EQ(ReadFile(capture), expected);
}

} // namespace
